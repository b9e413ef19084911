// The History window: View > History... lists the recorded runs newest first, the filter narrows
// them, a chosen run shows its lines and SQL, and Open in New Document puts the SQL into one.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "app/CDocumentManager.h"
#include "app/CHistoryDetail.h"
#include "app/CHistoryWindow.h"
#include "app/CMainFrame.h"
#include "history/CRunHistory.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

qint64 Record(const QString& document, const QString& sql, qint64 rows, bool finished)
{
    CRunHistory history;
    if (!history.Open(CRunHistory::DefaultPath())) {
        return 0;
    }
    CHistoryRun run;
    run.started = QDateTime::currentDateTimeUtc();
    run.program = u"tessella-run"_qs;
    run.document = document;
    run.connections = {u"Sales"_qs, u"Sales #2 (anna)"_qs};
    run.sqlText = sql;
    const qint64 id = history.Begin(run);
    if (finished) {
        CHistoryRun end;
        end.batches = 1;
        end.durationMs = 2500;
        end.lines = {{u"Sales"_qs, rows, 0, false, true, 2400},
                     {u"Sales #2 (anna)"_qs, 0, 1, true, true, 30}};
        history.Complete(id, end);
    }
    return id;
}

} // namespace

class HistoryWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ClearSettings();
        QFile::remove(CRunHistory::DefaultPath());
        QFile::remove(CRunHistory::DefaultPath() + u"-wal"_qs);
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance({}));
        QVERIFY(QTest::qWaitForWindowExposed(m_app->MainFrame()));
    }

    void cleanup() { m_app.reset(); }

    void listsRunsNewestFirstAndFilters()
    {
        const qint64 first = Record(u"/data/orders.tsl"_qs, u"SELECT * FROM orders"_qs, 12, true);
        const qint64 second = Record(u"Untitled"_qs, u"UPDATE stock SET n = 0"_qs, 0, false);
        QVERIFY(first > 0 && second > first);
        m_app->MainFrame()->Action(Command::ViewHistory)->trigger();
        CHistoryWindow* window = m_app->HistoryWindow();
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        QTreeWidget* list = window->List();
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(1), u"Untitled"_qs);
        QCOMPARE(list->topLevelItem(0)->text(7), u"unfinished"_qs);
        QCOMPARE(list->topLevelItem(1)->text(2), u"Sales, Sales #2 (anna)"_qs);
        QCOMPARE(list->topLevelItem(1)->text(4), u"12"_qs);
        QCOMPARE(list->topLevelItem(1)->text(5), u"1"_qs);
        QCOMPARE(list->topLevelItem(1)->text(6), u"2.500 s"_qs);
        // The newest is chosen at first: its SQL and its connections, no lines of its own.
        QCOMPARE(window->ChosenRun(), second);
        QCOMPARE(window->Detail()->Sql()->toPlainText(), u"UPDATE stock SET n = 0"_qs);
        QCOMPARE(window->Detail()->Lines()->topLevelItemCount(), 2);

        QTest::keyClicks(window->Filter(), u"ORDERS"_qs);
        QTRY_COMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(window->ChosenRun(), first);
        QTreeWidget* lines = window->Detail()->Lines();
        QCOMPARE(lines->topLevelItemCount(), 2);
        QCOMPARE(lines->topLevelItem(0)->text(1), u"12"_qs);
        QCOMPARE(lines->topLevelItem(1)->text(4), u"failed"_qs);
        QVERIFY(window->Detail()->Summary()->text().contains(u"/data/orders.tsl"_qs));
        window->Filter()->clear();
        QTRY_COMPARE(list->topLevelItemCount(), 2);
        // The chosen run stays chosen.
        QCOMPARE(window->ChosenRun(), first);
        window->Filter()->setText(u"no such text"_qs);
        QTRY_COMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!window->OpenButton()->isEnabled());
        QCOMPARE(window->Detail()->Sql()->toPlainText(), QString());
    }

    void opensTheSqlInANewDocument()
    {
        Record(u"/data/orders.tsl"_qs, u"SELECT 'κόσμε'\r\nFROM orders"_qs, 1, true);
        m_app->OnHistory();
        CHistoryWindow* window = m_app->HistoryWindow();
        QTRY_COMPARE(window->List()->topLevelItemCount(), 1);
        const int before = m_app->Documents().Frames().size();
        QTest::mouseClick(window->OpenButton(), Qt::LeftButton);
        QCOMPARE(m_app->Documents().Frames().size(), before + 1);
        CChildFrame* frame = m_app->Documents().Frames().last();
        QCOMPARE(frame->Editor()->DocumentText(), u"SELECT 'κόσμε'\r\nFROM orders"_qs);
        QVERIFY(frame->Document().IsModified());
    }

private:
    std::unique_ptr<TestApp> m_app;
};

TESSELLA_GUI_TEST(HistoryWindowTest)
#include "HistoryWindowTest.moc"
