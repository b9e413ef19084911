// Export of a million result rows (5 columns, a NULL every tenth row) that a run left in the
// result store, as File › Export Results… writes them: to CSV and to an XLSX workbook, in
// slices of rows. Each is timed to the file in place; the figures are the wall time, the
// output's MB/s and the largest resident size during the export against the size before it.
//
// The goal: CSV export at least as fast as the runner writes the same rows as its default tsv
// lines (COrderedOutput into a file), so that exporting from the window costs no more than
// running the script again with tessella-run.

#include "GoalLine.h"
#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"
#include "formats/CResultExport.h"
#include "odbc/LocaleSetup.h"
#include "runner/COrderedOutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kBatch = 1000;
constexpr qsizetype kSlice = 20000; // as the dialog writes
constexpr double kGoalRatio = 1.0;

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// A row as a query thread formats it: id, a 20-character name, an amount, a date and a note.
QString RowText(int id)
{
    return QStringLiteral("%1\titem-%2\t%3\t20%4-%5-%6\t%7")
        .arg(id)
        .arg(id, 15, 10, QLatin1Char('0'))
        .arg(double(id) * 0.37, 0, 'f', 2)
        .arg(id % 25, 2, 10, QLatin1Char('0'))
        .arg(id % 12 + 1, 2, 10, QLatin1Char('0'))
        .arg(id % 28 + 1, 2, 10, QLatin1Char('0'))
        .arg(id % 10 == 0 ? QString() : QStringLiteral("note number %1").arg(id));
}

std::unique_ptr<CPostElemArray> Batch(int first, int count, bool header)
{
    auto batch = std::make_unique<CPostElemArray>(u"BenchExport"_qs, count + 1);
    if (header) {
        batch->AddHeader(u"id\tname\tamount\tday\tnote", 0, 0);
    }
    odbc::ValueMarks marks;
    for (int id = first; id < first + count; ++id) {
        marks.Reset(5);
        if (id % 10 == 0) {
            marks.MarkNull(4);
        }
        batch->AddRow(RowText(id), marks);
    }
    return batch;
}

// VmHWM (the peak) and VmRSS of this process, in bytes; the peak is reset first when asked.
qint64 Status(const char* field)
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong() *
                   1024;
        }
    }
    return -1;
}

void ResetPeak()
{
    QFile refs(u"/proc/self/clear_refs"_qs);
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

double MiB(qint64 bytes)
{
    return double(bytes) / double(1 << 20);
}

struct Figures
{
    double seconds = 0;
    qint64 bytes = 0;
    qint64 residentBefore = 0;
    qint64 peak = 0;
};

bool Export(const CResultStore& store, ResultFormat format, const QString& path, Figures& out)
{
    ResetPeak();
    out.residentBefore = Status("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    CResultExport exporter(store, {format, path, false, {0}});
    QString error;
    if (!exporter.Start(error)) {
        Say(error);
        return false;
    }
    while (!exporter.Step(kSlice)) {
    }
    if (!exporter.Commit(error)) {
        Say(error);
        return false;
    }
    out.seconds = double(clock.nsecsElapsed()) / 1e9;
    out.peak = Status("VmHWM:");
    out.bytes = QFileInfo(path).size();
    return exporter.RowsWritten() == kRows;
}

// The runner's way with the same rows: elements encoded as tsv lines into a file.
double RunnerTsvSeconds(const QString& path, qint64& bytes)
{
    std::vector<std::unique_ptr<CPostElemArray>> batches;
    for (int first = 0; first < kRows; first += kBatch) {
        batches.push_back(Batch(first, kBatch, first == 0));
    }
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    QElapsedTimer clock;
    clock.start();
    {
        COrderedOutput output(file, {u"BenchExport"_qs});
        for (const auto& batch : batches) {
            output.Take(*batch);
        }
        output.Complete(u"BenchExport"_qs);
        output.Finish();
    }
    std::fclose(file);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    bytes = QFileInfo(path).size();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;

    CResultStore store;
    for (int first = 0; first < kRows; first += kBatch) {
        store.Intake(*Batch(first, kBatch, first == 0));
    }
    Say(QStringLiteral("store: %1 rows of 5 columns, %2 MiB held, resident %3 MiB")
            .arg(store.ResultSet(0).RowCount())
            .arg(MiB(store.AllocatedBytes()), 0, 'f', 1)
            .arg(MiB(Status("VmRSS:")), 0, 'f', 1));

    Figures csv;
    Figures xlsx;
    if (!Export(store, ResultFormat::Csv, dir.filePath(u"out.csv"_qs), csv) ||
        !Export(store, ResultFormat::Xlsx, dir.filePath(u"out.xlsx"_qs), xlsx)) {
        Say(u"bench_export: an export did not write every row"_qs);
        return 1;
    }
    for (const auto& [name, f] : {std::pair{"CSV", csv}, std::pair{"XLSX", xlsx}}) {
        Say(QStringLiteral("%1: %2 s, %3 MiB written, %4 MB/s, resident %5 MiB before, peak %6 "
                           "MiB (+%7 MiB)")
                .arg(QString::fromLatin1(name))
                .arg(f.seconds, 0, 'f', 3)
                .arg(MiB(f.bytes), 0, 'f', 1)
                .arg(double(f.bytes) / 1e6 / f.seconds, 0, 'f', 1)
                .arg(MiB(f.residentBefore), 0, 'f', 1)
                .arg(MiB(f.peak), 0, 'f', 1)
                .arg(MiB(f.peak - f.residentBefore), 0, 'f', 1));
    }
    qint64 tsvBytes = 0;
    const double tsvSeconds = RunnerTsvSeconds(dir.filePath(u"runner.tsv"_qs), tsvBytes);
    Say(QStringLiteral("runner tsv lines of the same rows: %1 s, %2 MiB")
            .arg(tsvSeconds, 0, 'f', 3)
            .arg(MiB(tsvBytes), 0, 'f', 1));
    GoalLine{u"export 1M rows CSV"_qs, Seconds(csv.seconds),
             Seconds(tsvSeconds) + u" runner tsv"_qs, csv.seconds / tsvSeconds, kGoalRatio}
        .Print();
    return 0;
}
