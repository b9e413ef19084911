// How the cost of taking in result batches grows with the size of the result: three connections
// post interleaved batches (10 elements first, then 100 each) and a painting list reads a page of
// rows after every intake. Only the intake and the page reads are timed, not building the batches.

#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kConnections = 3;
constexpr int kFirstBatch = 10;
constexpr int kLaterBatch = 100;
constexpr qsizetype kPageRows = 25;
constexpr int kRepeats = 3;
constexpr double kGoalRatio = 1.5;

std::unique_ptr<CPostElemArray> MakeBatch(const QString& connection, qsizetype size,
                                          qsizetype firstSerial)
{
    auto batch = std::make_unique<CPostElemArray>(connection, int(size));
    for (qsizetype i = 0; i < size; ++i) {
        batch->Add(ElemRow, QString::number(firstSerial + i) + "\tsome text\t12.50");
    }
    return batch;
}

// What a list painting the rows just taken in would read.
qsizetype ReadPage(const CResultStore& store, qsizetype firstChanged)
{
    const qsizetype end = std::min(store.Count(), firstChanged + kPageRows);
    qsizetype length = 0;
    for (qsizetype row = std::max<qsizetype>(0, end - kPageRows); row < end; ++row) {
        const CPackedRows::RowView element = store.At(row);
        length += element.Field(element.FieldCount() - 1).size();
    }
    return length;
}

// Nanoseconds per element for one run of `total` elements.
double FeedOnce(qsizetype total, qsizetype& sink)
{
    const QStringList names{"North", "South", "East"};
    std::array<qsizetype, kConnections> posted{};
    CResultStore store;
    Clock::duration spent{};
    qsizetype fed = 0;
    for (int next = 0; fed < total; next = (next + 1) % kConnections) {
        const qsizetype size =
            std::min<qsizetype>(posted[next] == 0 ? kFirstBatch : kLaterBatch, total - fed);
        auto batch = MakeBatch(names[next], size, fed);
        const Clock::time_point start = Clock::now();
        const CResultStore::IntakeResult result = store.Intake(*batch);
        sink += ReadPage(store, result.groupStart);
        spent += Clock::now() - start;
        posted[next] += size;
        fed += size;
    }
    return std::chrono::duration<double, std::nano>(spent).count() / double(total);
}

double BestOf(qsizetype total, qsizetype& sink)
{
    double best = FeedOnce(total, sink);
    for (int repeat = 1; repeat < kRepeats; ++repeat) {
        best = std::min(best, FeedOnce(total, sink));
    }
    return best;
}

} // namespace

int main()
{
    qsizetype sink = 0;
    const double small = BestOf(300'000, sink);
    const double large = BestOf(3'000'000, sink);
    const double ratio = large / small;

    std::printf("%12s  %10s\n", "elements", "ns/element");
    std::printf("%12d  %10.1f\n", 300'000, small);
    std::printf("%12d  %10.1f\n", 3'000'000, large);
    std::printf("ratio 3M/300K: %.2f (goal: within %.1fx) %s\n", ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "NOT met");
    std::printf("(checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}
