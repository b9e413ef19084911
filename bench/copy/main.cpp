// Copying a large selection of the "All Results" list to the clipboard. A document takes in
// 100,000 result rows of 5 columns in batches as a query thread posts them (10 elements first,
// then 100 each), the list shows them (offscreen platform), every row is selected, and Copy()
// puts them on the clipboard. Copy() is timed three times; the best is reported, with the time
// of building the text alone and the size of what was copied.

#include "BenchRowText.h"
#include "execution/CPostElemArray.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"
#include "odbc/LocaleSetup.h"
#include "results/CListEditCtrl.h"
#include "results/CResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100'000;
constexpr int kFirstBatch = 10;
constexpr int kLaterBatch = 100;
constexpr int kRepeats = 3;
constexpr double kGoalSeconds = 1.0;

double Seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    CTessellaDoc document;
    CListEditCtrl list;
    auto* model = new CResultListModel(document, &list);
    list.SetResultModel(model);
    list.resize(1000, 600);
    list.show();

    // The batches belong to their poster and must outlive their intake.
    std::vector<std::unique_ptr<CPostElemArray>> batches;
    for (int fed = 0; fed < kRows;) {
        const int size = std::min(fed == 0 ? kFirstBatch : kLaterBatch, kRows - fed);
        auto batch = std::make_unique<CPostElemArray>(QStringLiteral("BenchCopy"), size);
        for (int i = 0; i < size; ++i) {
            batch->Add(ElemRow, BenchRowText(fed + i + 1));
        }
        CArrayPostEvent posted(batch.get());
        model->TakePosted(&posted);
        batches.push_back(std::move(batch));
        QCoreApplication::sendPostedEvents(model);
        fed += size;
    }
    // The run is over: painting a data row widens the list to its five columns, and the
    // announced count comes down to the real rows.
    model->data(model->index(1, 0), Qt::DisplayRole);
    QCoreApplication::sendPostedEvents(model);
    model->TrimAfterRun();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    list.SelectAllRows();
    const double selectSeconds = Seconds(clock);

    double bestText = 1e9;
    double bestCopy = 1e9;
    qsizetype characters = 0;
    std::printf("%-6s %14s %10s\n", "repeat", "text only s", "Copy() s");
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        QApplication::clipboard()->clear();
        clock.restart();
        const QString text = list.SelectedRowsText();
        const double textSeconds = Seconds(clock);
        characters = std::max(characters, text.size());

        clock.restart();
        const bool copied = list.Copy();
        const double copySeconds = Seconds(clock);
        if (!copied) {
            std::fprintf(stderr, "bench_copy: Copy() put nothing on the clipboard\n");
            return 1;
        }
        std::printf("%-6d %14.3f %10.3f\n", repeat + 1, textSeconds, copySeconds);
        bestText = std::min(bestText, textSeconds);
        bestCopy = std::min(bestCopy, copySeconds);
    }

    const QString copied = QApplication::clipboard()->text();
    const qsizetype lines = copied.isEmpty() ? 0 : copied.count(u'\n') + 1;
    std::printf("rows in the list: %d (%d result rows and the connection's title row), "
                "%d columns\n",
                model->RealRows(), kRows, model->columnCount());
    std::printf("select all: %.3f s\n", selectSeconds);
    std::printf("copied: %lld lines, %lld characters, %lld bytes as UTF-8\n",
                static_cast<long long>(lines), static_cast<long long>(copied.size()),
                static_cast<long long>(copied.toUtf8().size()));
    std::printf("text only (SelectedRowsText), best of %d: %.3f s\n", kRepeats, bestText);
    std::printf("Copy() to the clipboard, best of %d: %.3f s (goal: under %.0f s) %s\n", kRepeats,
                bestCopy, kGoalSeconds, bestCopy < kGoalSeconds ? "met" : "NOT met");
    if (copied.size() != characters || lines != model->RealRows()) {
        std::printf("WARNING: the clipboard does not hold every selected row\n");
    }
    return 0;
}
