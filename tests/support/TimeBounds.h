#pragma once

#include <QByteArray>
#include <QtGlobal>

// A loose upper bound for how long something may take in a test, widened by
// $TESSELLA_TEST_TIME_FACTOR for builds that run several times slower (the
// sanitizer builds set it). The figure itself is what the benchmarks report.
inline qint64 TimeBound(qint64 milliseconds)
{
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("TESSELLA_TEST_TIME_FACTOR", &ok);
    return ok && factor > 1 ? milliseconds * factor : milliseconds;
}
