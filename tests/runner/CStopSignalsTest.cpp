#include "runner/CStopSignals.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Stands for a loop held up in a driver call: it never gets to leave by itself.
[[noreturn]] void StuckAfter(int signal, bool standDown)
{
    CStopSignals signals(300ms);
    std::raise(signal);
    if (CStopSignals::Received() != signal) {
        std::_Exit(3);
    }
    if (standDown) {
        signals.StandDown();
    }
    std::this_thread::sleep_for(standDown ? 1s : 20s);
    std::_Exit(5);
}

} // namespace

TEST(StopSignals, AStuckLoopIsEndedWithTheSignalsCodeUnlessItIsWriting)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StuckAfter(SIGTERM, false), testing::ExitedWithCode(143), "");
    EXPECT_EXIT(StuckAfter(SIGINT, false), testing::ExitedWithCode(130), "");
    EXPECT_EXIT(StuckAfter(SIGHUP, false), testing::ExitedWithCode(129), "");
    // Writing what it has is not cut short.
    EXPECT_EXIT(StuckAfter(SIGTERM, true), testing::ExitedWithCode(5), "");
}
