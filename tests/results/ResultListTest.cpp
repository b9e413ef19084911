// The "All Results" list: its model over the document's rows, the row viewer
// and copying, fed with batches as the query threads would post them.

#include "GuiTestRegistry.h"
#include "execution/CPostElemArray.h"
#include "execution/CTessellaDoc.h"
#include "results/CLVEdit.h"
#include "results/CListEditCtrl.h"
#include "results/CResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Builds batches for one connection; the batches must outlive their intake.
class Feeder
{
public:
    Feeder(CTessellaDoc& document, CResultListModel& model) : m_document(document), m_model(model)
    {
    }

    void Feed(const QString& connection, const QStringList& texts, int kind = ElemRow)
    {
        auto batch = std::make_unique<CPostElemArray>(connection, int(texts.size()));
        for (const QString& text : texts) {
            batch->Add(kind, text);
        }
        m_model.BatchTaken(m_document.IntakeBatch(*batch));
        m_batches.push_back(std::move(batch));
        QCoreApplication::sendPostedEvents(&m_model);
    }

private:
    CTessellaDoc& m_document;
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
        feeder = std::make_unique<Feeder>(*document, *model);
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
};

TESSELLA_GUI_TEST(ResultListTest)

#include "ResultListTest.moc"
