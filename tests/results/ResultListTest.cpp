// The "All Results" list: its model over the document's rows, the row viewer
// and copying, fed with batches as the query threads would post them.

#include "GuiTestRegistry.h"
#include "execution/CPostElemArray.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"
#include "results/CLVEdit.h"
#include "results/CListEditCtrl.h"
#include "results/CResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

// Builds batches and hands them over as the results window does; the batches must outlive their
// intake.
class Feeder
{
public:
    explicit Feeder(CResultListModel& model) : m_model(model) {}

    void Feed(const QString& connection, const QStringList& texts, int kind = ElemRow)
    {
        auto batch = std::make_unique<CPostElemArray>(connection, int(texts.size()));
        for (const QString& text : texts) {
            batch->Add(kind, text);
        }
        CArrayPostEvent posted(batch.get());
        QVERIFY(m_model.TakePosted(&posted));
        m_batches.push_back(std::move(batch));
        QCoreApplication::sendPostedEvents(&m_model);
    }

private:
    CResultListModel& m_model;
    std::vector<std::unique_ptr<CPostElemArray>> m_batches;
};

QStringList Numbered(int count, const QString& prefix = u"r"_qs)
{
    QStringList rows;
    for (int i = 0; i < count; ++i) {
        rows << prefix + QString::number(i);
    }
    return rows;
}

} // namespace

class ResultListTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CTessellaDoc> document;
    std::unique_ptr<CListEditCtrl> list;
    CResultListModel* model = nullptr;
    std::unique_ptr<Feeder> feeder;

private slots:
    void init()
    {
        document = std::make_unique<CTessellaDoc>();
        list = std::make_unique<CListEditCtrl>();
        model = new CResultListModel(*document, list.get());
        list->SetResultModel(model);
        list->resize(600, 300);
        feeder = std::make_unique<Feeder>(*model);
    }
    void cleanup()
    {
        feeder.reset();
        list.reset();
        document.reset();
    }

    void interleavedConnectionsFormGroupsInArrivalOrder()
    {
        feeder->Feed(u"B"_qs, {u"b1"_qs});
        feeder->Feed(u"A"_qs, {u"a1"_qs});
        feeder->Feed(u"C"_qs, {u"c1"_qs});
        feeder->Feed(u"B"_qs, {u"b2"_qs});
        feeder->Feed(u"A"_qs, {u"a2"_qs});
        QStringList shown;
        for (int row = 0; row < model->RealRows(); ++row) {
            shown << model->CellText(row, 0);
        }
        QCOMPARE(shown, (QStringList{u"B"_qs, u"b1"_qs, u"b2"_qs, u"A"_qs, u"a1"_qs, u"a2"_qs,
                                     u"C"_qs, u"c1"_qs}));
        QCOMPARE(model->data(model->index(0, 0), Qt::DecorationRole).isNull(), false);
    }

    void announcedCountRunsAheadAndIsTrimmedAfterTheRun()
    {
        feeder->Feed(u"A"_qs, Numbered(98)); // and the title row: 99
        QCOMPARE(model->rowCount(), 99);
        feeder->Feed(u"A"_qs, {u"one more"_qs});
        QCOMPARE(model->rowCount(), 1100);
        feeder->Feed(u"A"_qs, Numbered(500));
        // No change while the count runs ahead.
        QCOMPARE(model->rowCount(), 1100);

        // The document is idle: asking for a row of the empty tail trims the count.
        QVERIFY(model->data(model->index(1000, 0), Qt::DisplayRole).toString().isEmpty());
        QCoreApplication::sendPostedEvents(model);
        QCOMPARE(model->rowCount(), 600);
    }

    void autoScrollFollowsTheRowsOnceInAHundredAndAgainAfterARunStarts()
    {
        ShowList(20);
        feeder->Feed(u"A"_qs, Numbered(150));
        QCOMPARE(list->verticalScrollBar()->value(), 0); // off: the list stays where it is
        // The list lays out its new rows in the event loop, as it does between batches.
        QCoreApplication::processEvents();

        model->ListState().SetAutoScroll(true);
        feeder->Feed(u"A"_qs, Numbered(100)); // 251 rows, the last at 250
        QVERIFY(RowShown(250));
        list->scrollToTop();
        feeder->Feed(u"A"_qs, Numbered(90)); // not a hundred more since the scroll
        QCOMPARE(list->rowAt(0), 0);
        feeder->Feed(u"A"_qs, Numbered(20));
        QVERIFY(RowShown(360));

        // A new run scrolls at its first hundred rows again. No run replaces the store here, so it
        // keeps its 361 rows: 412 would be fewer than a hundred more than at the last scroll.
        model->ResetForRun();
        QCOMPARE(model->ListState().Announced(), 0);
        feeder->Feed(u"B"_qs, Numbered(50));
        QVERIFY(RowShown(411));
    }

    void aBatchRepaintsTheListWhenItMovesRowsItShows()
    {
        // A: rows 0 to 10; B: 11 to 111; C: 112 to 122.
        feeder->Feed(u"A"_qs, Numbered(10));
        feeder->Feed(u"B"_qs, Numbered(100));
        feeder->Feed(u"C"_qs, Numbered(10));
        model->TrimAfterRun();
        ShowList(5);
        QSignalSpy repainted(model, &QAbstractItemModel::dataChanged);
        feeder->Feed(u"A"_qs, {u"below the page"_qs}); // moves rows from 11 on
        QCOMPARE(repainted.count(), 0);

        // A taller list shows the rows the next batch moves.
        ShowList(40);
        feeder->Feed(u"A"_qs, {u"on the page"_qs});
        QCOMPARE(repainted.count(), 1);
        QCOMPARE(repainted.at(0).at(0).toModelIndex().row(), 0);

        // So does a list scrolled down to them.
        feeder->Feed(u"C"_qs, {u"c"_qs}); // rows from 125 on
        QCOMPARE(repainted.count(), 1);
        list->scrollTo(model->index(100, 0), QAbstractItemView::PositionAtTop);
        feeder->Feed(u"C"_qs, {u"c"_qs});
        QCOMPARE(repainted.count(), 2);
        QCOMPARE(repainted.at(1).at(0).toModelIndex().row(), 100);
    }

    void widerRowsAddColumnsWhenPainted()
    {
        feeder->Feed(u"A"_qs, {u"x\ty\tz\tw"_qs});
        QCOMPARE(model->columnCount(), 1);
        model->data(model->index(1, 0), Qt::DisplayRole); // the view paints row 1
        QCoreApplication::sendPostedEvents(model);
        QCOMPARE(model->columnCount(), 4);
        QCOMPARE(list->columnWidth(3), 100);
        QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
        QCOMPARE(model->CellText(1, 2), u"z"_qs);
        // Beyond the title's single field.
        QCOMPARE(model->CellText(0, 2), QString());
    }

    void copyGivesExactlyTheListsColumns()
    {
        feeder->Feed(u"A"_qs, {u"a\tb"_qs, u"c"_qs, u"d\te"_qs});
        model->data(model->index(1, 0), Qt::DisplayRole);
        QCoreApplication::sendPostedEvents(model);
        QCOMPARE(model->columnCount(), 2);
        list->selectionModel()->select(model->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(model->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(model->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(list->Copy());
        QCOMPARE(QApplication::clipboard()->text(), u"a\tb\nc\t\nd\te"_qs);
    }

    void copyWithoutSelectionKeepsTheClipboard()
    {
        QApplication::clipboard()->setText(u"before"_qs);
        feeder->Feed(u"A"_qs, {u"row"_qs});
        QVERIFY(!list->Copy());
        QCOMPARE(QApplication::clipboard()->text(), u"before"_qs);
    }

    void longCopyShowsItsProgressEveryHundredRows()
    {
        feeder->Feed(u"A"_qs, Numbered(249)); // 250 rows with the title
        model->TrimAfterRun();
        QSignalSpy status(list.get(), &CListEditCtrl::statusMessage);
        list->SelectAllRows();
        QVERIFY(list->Copy());
        QStringList messages;
        for (const auto& call : status) {
            messages << call.at(0).toString();
        }
        QCOMPARE(messages, (QStringList{u"Press any key to abort. row: 0 of 250"_qs,
                                        u"Press any key to abort. row: 100 of 250"_qs,
                                        u"Press any key to abort. row: 200 of 250"_qs, QString()}));
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), 249);
    }

    void trimmingAfterTheRunDropsTheEmptyTail()
    {
        feeder->Feed(u"A"_qs, Numbered(149));
        QCOMPARE(model->rowCount(), 1150);
        model->TrimAfterRun();
        QCOMPARE(model->rowCount(), 150);
        model->TrimAfterRun();
        QCOMPARE(model->rowCount(), 150);
    }

    void keyPressAbortsTheCopy()
    {
        QApplication::clipboard()->setText(u"kept"_qs);
        feeder->Feed(u"A"_qs, Numbered(300));
        list->SelectAllRows();
        QCoreApplication::postEvent(
            list.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, u"x"_qs));
        bool aborted = false;
        QVERIFY(list->SelectedRowsText(&aborted).isEmpty());
        QVERIFY(aborted);

        QCoreApplication::postEvent(
            list.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_qs));
        QVERIFY(!list->Copy());
        QCOMPARE(QApplication::clipboard()->text(), u"kept"_qs);
        // Without a key press the copy runs to its end.
        QVERIFY(list->Copy());
        QVERIFY(QApplication::clipboard()->text().startsWith(u"A\nr0\nr1"_qs));
    }

    void aToolTipShowsTheWholeTextOfACutCellOnly()
    {
        ShowList(5);
        const QString longText = u"A long description that no column of a hundred pixels holds"_qs;
        feeder->Feed(u"A"_qs, {u"1\t"_qs + longText});
        // The second column comes when the row is first painted.
        model->data(model->index(1, 0), Qt::DisplayRole);
        QCoreApplication::sendPostedEvents(model);
        QCOMPARE(model->columnCount(), 2);
        const QModelIndex cut = model->index(1, 1);
        const QModelIndex whole = model->index(1, 0);
        QCOMPARE(list->CutCellText(cut), longText);
        QCOMPARE(list->CutCellText(whole), QString());
        // The title row's cell beside the name is empty: nothing to show either.
        QCOMPARE(list->CutCellText(model->index(0, 1)), QString());

        QCOMPARE(ToolTipOver(cut), longText);
        QCOMPARE(ToolTipOver(whole), QString());

        // Widened until the text fits, the cell has no tip; a pixel less and it has again.
        int width = list->columnWidth(1);
        while (!list->CutCellText(cut).isEmpty() && width < 2000) {
            list->setColumnWidth(1, ++width);
        }
        QVERIFY(width < 2000);
        QVERIFY(width > list->fontMetrics().horizontalAdvance(longText));
        QCOMPARE(ToolTipOver(cut), QString());
        list->setColumnWidth(1, width - 1);
        QCOMPARE(ToolTipOver(cut), longText);
    }

    void rowViewerShowsTheCellsJoinedByBlanks()
    {
        feeder->Feed(u"A"_qs, {u"one\ttwo\tthree"_qs});
        model->data(model->index(1, 0), Qt::DisplayRole);
        QCoreApplication::sendPostedEvents(model);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        list->OpenRowViewer(1);
        CLVEdit* viewer = list->RowViewer();
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->isReadOnly());
        QCOMPARE(viewer->text(), u"one two three"_qs);
        // As wide as the row's three columns.
        QCOMPARE(viewer->width(), 300);
        QTest::keyClick(viewer, Qt::Key_Escape);
        QVERIFY(!viewer->isVisible());
        QCOMPARE(model->CellText(1, 1), u"two"_qs);
    }

private:
    // Shows the list with room for `rows` rows, and lets it settle.
    void ShowList(int rows)
    {
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        const int rowHeight = list->verticalHeader()->defaultSectionSize();
        const int around = list->height() - list->viewport()->height();
        list->resize(600, around + rows * rowHeight + rowHeight / 2);
        QTRY_COMPARE(list->viewport()->height() / rowHeight, rows);
    }
    // The tool tip the list shows with the mouse resting on the cell; empty for none.
    QString ToolTipOver(const QModelIndex& index)
    {
        QToolTip::hideText();
        // A hidden tip lingers a moment before it goes.
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) {
            return u"(the last tip stays)"_qs;
        }
        const QPoint at = list->visualRect(index).center();
        QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    // The row is at least partly inside the list's viewport.
    bool RowShown(int row) const
    {
        const int y = list->rowViewportPosition(row);
        return y > -list->rowHeight(row) && y < list->viewport()->height();
    }
};

TESSELLA_GUI_TEST(ResultListTest)

#include "ResultListTest.moc"
