#pragma once

// What the fault tests share: a document with its recording window, the
// result lines cut into groups by connection, a view of numbered rows that
// reads alike on all three servers, and the expected lines of reading it.

#include "../execution/RunHarness.h"
#include "SideSession.h"

#include <QElapsedTimer>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <unistd.h>

// The result lines after each connection's title line, by title.
inline QMap<QString, QStringList> GroupsByTitle(const CTessellaDoc& document)
{
    QMap<QString, QStringList> groups;
    QStringList* current = nullptr;
    for (const QString& line : ResultLines(document)) {
        if (line.startsWith(u"0|"_qs)) {
            current = &groups[line.mid(2)];
        } else if (current) {
            *current << line;
        }
    }
    return groups;
}

// MariaDB's connector takes no query time-out and says so once per run.
inline QStringList WithoutTimeoutRefusal(QStringList group)
{
    group.removeAll(u"2|Can't set query timeout"_qs);
    return group;
}

// What reading `SELECT i FROM <view>` of `count` rows yields.
inline QStringList NumberLines(int count)
{
    QStringList lines{u"4|i"_qs};
    lines.reserve(count + 2);
    for (int i = 1; i <= count; ++i) {
        lines << u"3|"_qs + QString::number(i);
    }
    lines << u"1|End(No data found)"_qs;
    return lines;
}

// A name that no other test process uses at the same time on the shared servers.
inline QString UniqueViewName(const char* stem)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(stem)).arg(getpid());
}

// The rows numbered 1 to count under one name, in the dialect of each server.
inline QString CreateNumbersView(const QString& server, const QString& name, int count)
{
    if (server == u"PostgreSQL"_qs) {
        return u"CREATE VIEW %1 AS SELECT generate_series(1, %2) AS i"_qs.arg(name).arg(count);
    }
    if (server == u"MariaDB"_qs) {
        // The sequence engine, since recursion stops at 1000 rows by default.
        return u"CREATE VIEW %1 AS SELECT seq AS i FROM seq_1_to_%2"_qs.arg(name).arg(count);
    }
    return u"CREATE VIEW %1 AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
           "WHERE i < %2) SELECT i FROM n"_qs.arg(name)
               .arg(count);
}

// Rows of `dsn` taken into the document so far, from the window's record.
inline qsizetype LinesTaken(const RecordingResultsWindow& window, const QString& dsn)
{
    qsizetype taken = 0;
    for (const auto& [name, size] : window.batchSizes) {
        if (name == dsn) {
            taken += size;
        }
    }
    return taken;
}

// Processes events until `dsn` has delivered at least `lines` result lines.
inline bool WaitForLines(const RecordingResultsWindow& window, const QString& dsn, qsizetype lines,
                         int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (LinesTaken(window, dsn) < lines) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Checks a group cut short by a fault: the header, rows numbered 1, 2, ...
// without a gap, then only error lines. Answers the number of rows.
inline int CheckCutShort(const QStringList& group, const QString& label)
{
    int rows = 0;
    qsizetype at = group.indexOf(u"4|i"_qs);
    EXPECT_GE(at, 0) << label.toStdString() << ": no header";
    for (++at; at < group.size() && group[at].startsWith(u"3|"_qs); ++at) {
        EXPECT_EQ(group[at], u"3|"_qs + QString::number(++rows)) << label.toStdString();
    }
    EXPECT_LT(at, group.size()) << label.toStdString() << ": no diagnostics after the rows";
    for (; at < group.size(); ++at) {
        EXPECT_TRUE(group[at].startsWith(u"2|"_qs))
            << label.toStdString() << ": " << group[at].toStdString();
    }
    return rows;
}

// The error lines of a group, for the record.
inline QString ErrorLines(const QStringList& group)
{
    return group.filter(QRegularExpression(u"^2\\|"_qs)).join(u" // "_qs);
}
