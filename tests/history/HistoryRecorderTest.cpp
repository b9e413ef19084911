// Whole runs of a document on SQLite recorded in the history: what each connection did, no
// password anywhere in the database's bytes, the text cut at 1 MB, the setting's count.

#include "HistoryReader.h"
#include "OdbcTestConfig.h"
#include "RunHarness.h"
#include "history/CHistoryRecorder.h"
#include "history/CHistoryText.h"
#include "history/CRunHistory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HistoryRecorderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        document.SetSettingsOverride(CRunSettings());
        CHistoryRecorder::Options options;
        options.path = path;
        options.program = u"test"_qs;
        options.document = [this] { return documentPath; };
        options.keep = 1000;
        recorder = std::make_shared<CHistoryRecorder>(options);
        document.SetRunListener(recorder);
    }

    std::optional<CHistoryRun> LastRun()
    {
        CRunHistory history;
        if (!history.Open(path)) {
            return std::nullopt;
        }
        const QList<CHistoryRun> runs = history.Runs({}, 1);
        return runs.isEmpty() ? std::nullopt : history.Run(runs.first().id);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(u"history.sqlite"_qs);
    QString documentPath;
    SqliteDataSource source;
    SqliteDataSource second;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
    std::shared_ptr<CHistoryRecorder> recorder;
};

} // namespace

TEST_F(HistoryRecorderTest, EachConnectionsRowsErrorsAndTimeAreRecorded)
{
    documentPath = u"/work/reports/monthly.tsl"_qs;
    document.m_connections.append(Entry(source.Name()));
    document.m_connections.append(Entry(second.Name()));
    document.m_connections.append(Entry(u"NoSuchSource"_qs));
    CConnectionData disabled = Entry(u"Disabled"_qs);
    disabled.m_enabled = 0;
    document.m_connections.append(disabled);
    ASSERT_TRUE(
        RunToEnd(document, u"SELECT 1 UNION SELECT 2 UNION SELECT 3 ;\nSELECT * FROM nope"_qs));
    // The document records the end by itself once it sees the run idle.
    ASSERT_NE(recorder->CurrentRun(), 0);
    QElapsedTimer clock;
    clock.start();
    while (recorder->CurrentRun() != 0 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_FALSE(document.ReportRunEnd()) << "told once only";
    EXPECT_TRUE(recorder->Error().isEmpty()) << recorder->Error().toStdString();

    const std::optional<CHistoryRun> run = LastRun();
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->finished);
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(run->program, u"test"_qs);
    EXPECT_EQ(run->document, documentPath);
    EXPECT_EQ(run->connections, (QStringList{source.Name(), second.Name(), u"NoSuchSource"_qs}));
    EXPECT_EQ(run->batches, 2);
    EXPECT_EQ(run->rows, 6);
    ASSERT_EQ(run->lines.size(), 3);
    for (int i : {0, 1}) {
        EXPECT_EQ(run->lines[i].rows, 3);
        EXPECT_EQ(run->lines[i].errors, 1) << "no such table";
        EXPECT_TRUE(run->lines[i].failed);
        EXPECT_TRUE(run->lines[i].started);
        EXPECT_GE(run->lines[i].durationMs, 0);
    }
    EXPECT_EQ(run->lines[2].rows, 0);
    EXPECT_GE(run->lines[2].errors, 1) << "no such data source";
    EXPECT_GE(run->durationMs, run->lines[0].durationMs);

    // Another run, untitled: a record of its own, the first one untouched.
    documentPath.clear();
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
    document.ReportRunEnd();
    const std::optional<CHistoryRun> next = LastRun();
    ASSERT_TRUE(next);
    EXPECT_GT(next->id, run->id);
    EXPECT_EQ(next->document, u"Untitled"_qs);
    EXPECT_EQ(next->batches, 1);
    EXPECT_EQ(next->rows, 2);
}

TEST_F(HistoryRecorderTest, NoPasswordOfTheRunReachesTheDatabase)
{
    // One in an entry, one given at Run, and both also in the SQL and in a login.
    const QString entryPassword = u"Zq7-entry-sécret"_qs;
    const QString runPassword = u"Xk9-asked-at-run"_qs;
    documentPath = dir.filePath(u"with %1.tsl"_qs.arg(runPassword));
    document.m_connections.append(Entry(source.Name(), u"anna"_qs, entryPassword));
    document.m_connections.append(Entry(source.Name(), runPassword, QString()));
    document.SetRunPasswords({{{source.Name(), runPassword}, runPassword}});
    const QString sql = u"SELECT '%1' AS a, '%2' AS b"_qs.arg(entryPassword, runPassword);
    ASSERT_TRUE(RunToEnd(document, sql));
    document.ReportRunEnd();

    const std::optional<CHistoryRun> run = LastRun();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->rows, 2);
    const QString mask = CHistoryText::Mask();
    EXPECT_EQ(run->sqlText, u"SELECT '%1' AS a, '%1' AS b"_qs.arg(mask));
    EXPECT_TRUE(run->connections.join(u'|').contains(mask))
        << run->connections.join(u'|').toStdString();
    // Not in a page, nor in the log, nor in free space: never written at all.
    const QByteArray bytes = DatabaseBytes(path);
    ASSERT_FALSE(bytes.isEmpty());
    for (const QString& password : {entryPassword, runPassword}) {
        EXPECT_FALSE(bytes.contains(password.toUtf8())) << password.toStdString();
        const QByteArray utf16(reinterpret_cast<const char*>(password.utf16()),
                               password.size() * 2);
        EXPECT_FALSE(bytes.contains(utf16)) << password.toStdString();
    }
}

TEST_F(HistoryRecorderTest, TheTextIsCutAtOneMegabyte)
{
    document.m_connections.append(Entry(source.Name()));
    // "é" is two bytes: half a megabyte of characters fills it.
    const QString comment = u"-- "_qs + QString(CHistoryText::kMostSqlBytes / 2, u'é');
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1 ;\n"_qs + comment));
    document.ReportRunEnd();
    const std::optional<CHistoryRun> run = LastRun();
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->sqlCut);
    EXPECT_LE(run->sqlText.toUtf8().size(), CHistoryText::kMostSqlBytes);
    EXPECT_GT(run->sqlText.toUtf8().size(), CHistoryText::kMostSqlBytes - 2);
    EXPECT_TRUE(run->sqlText.startsWith(u"SELECT 1 ;\n-- éé"_qs));
}

TEST_F(HistoryRecorderTest, TheSettingsCountIsKeptAndNoneRecordsNothing)
{
    CHistoryRecorder::Options options;
    options.path = path;
    auto fromSettings = std::make_shared<CHistoryRecorder>(options);
    document.SetRunListener(fromSettings);
    document.m_connections.append(Entry(source.Name()));
    CRunSettings settings;
    EXPECT_EQ(CRunSettings::Load().historyRuns, 1000);
    for (int keep : {2, 2, 2, 0}) {
        settings.historyRuns = keep;
        settings.Save();
        ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
        document.ReportRunEnd();
    }
    EXPECT_EQ(CRunSettings::Load().historyRuns, 0);
    CRunHistory history;
    ASSERT_TRUE(history.Open(path));
    EXPECT_EQ(history.Runs({}, 100).size(), 2);
    settings.historyRuns = CRunSettings::kDefaultHistoryRuns;
    settings.Save();
}
