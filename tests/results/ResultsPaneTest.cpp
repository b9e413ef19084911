// The results pane around its list: tabs, intake of posted batches, the
// status text, the connection page's entry and the edit commands.

#include "GuiTestRegistry.h"
#include "execution/CPostElemArray.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"
#include "results/CConnectionPage.h"
#include "results/CListEditCtrl.h"
#include "results/CResultListModel.h"
#include "results/CResultsView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <memory>

class ResultsPaneTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_document = std::make_unique<CTessellaDoc>();
        m_view = std::make_unique<CResultsView>(*m_document);
        m_view->resize(700, 400);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_view->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_view.reset();
        m_batches.clear();
        m_document.reset();
    }

    void tabsAtTheBottomAndTheResultsWindow()
    {
        QCOMPARE(m_view->Tabs()->count(), 3);
        QCOMPARE(m_view->Tabs()->tabText(0), u"All Results"_qs);
        QCOMPARE(m_view->Tabs()->tabText(1), u"Connections"_qs);
        QCOMPARE(m_view->Tabs()->tabText(2), u"Result Sets"_qs);
        QCOMPARE(m_view->Tabs()->tabPosition(), QTabWidget::South);
        QCOMPARE(m_document->ResultsWindow(), m_view.get());
        QCOMPARE(m_view->AutoScroll()->text(), u"Auto scroll"_qs);
    }

    void controlTabAndPageKeysGoRoundTheTabs()
    {
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        QTabWidget* tabs = m_view->Tabs();
        m_view->List()->setFocus();

        Press(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        // The focus went along onto the page, so that the keys go on working from there.
        QVERIFY(m_view->ConnectionPage()->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(tabs->count(), 3); // All Results, Connections, Result Sets
        Press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        Press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(m_view->List()->hasFocus());
        Press(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 1);

        // A tab added later joins the round; a disabled one is passed over.
        auto* fourth = new QLineEdit;
        tabs->addTab(fourth, u"Fourth"_qs);
        QList<int> visited;
        for (int i = 0; i < 4; ++i) {
            Press(Qt::Key_PageDown, Qt::ControlModifier);
            visited << tabs->currentIndex();
        }
        QCOMPARE(visited, (QList<int>{2, 3, 0, 1}));
        tabs->setTabEnabled(2, false);
        Press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 3);
        Press(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        for (int tab : {0, 1, 3}) {
            tabs->setTabEnabled(tab, tab == 1);
        }
        Press(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void postedBatchesBecomeGroupedRows()
    {
        Post(u"one"_qs, {u"a\tb"_qs, u"1\t2"_qs});
        Post(u"two"_qs, {u"x"_qs});
        Post(u"one"_qs, {u"3\t4\t5"_qs});
        QCOMPARE(m_view->Model()->rowCount(), 6);
        QStringList first;
        for (int row = 0; row < 6; ++row) {
            first << m_view->Model()->CellText(row, 0);
        }
        QCOMPARE(first, (QStringList{u"one"_qs, u"a"_qs, u"1"_qs, u"3"_qs, u"two"_qs, u"x"_qs}));
    }

    void aRunEmptiesTheListAndShowsAllResults()
    {
        Post(u"one"_qs, {u"a"_qs});
        m_view->Tabs()->setCurrentIndex(1);
        emit m_document->runStarting();
        QCOMPARE(m_view->Model()->rowCount(), 0);
        QCOMPARE(m_view->Tabs()->currentIndex(), 0);
    }

    void statusTextNamesTheSelectedRow()
    {
        m_view->RefreshStatus();
        QCOMPARE(m_view->StatusText(), QString());

        QStringList rows;
        for (int i = 0; i < 249; ++i) {
            rows << QString::number(i);
        }
        Post(u"one"_qs, rows); // 250 rows with the title
        m_view->RefreshStatus();
        QCOMPARE(m_view->StatusText(), u"? of 250"_qs);

        m_view->List()->selectRow(2);
        m_view->RefreshStatus();
        QCOMPARE(m_view->StatusText(), u"3 of 250"_qs);
    }

    void autoScrollFollowsTheCheckBox()
    {
        const CResultListState& state = m_view->Model()->ListState();
        QCOMPARE(state.AutoScroll(), false);
        m_view->AutoScroll()->setChecked(true);
        QCOMPARE(state.AutoScroll(), true);
        m_view->AutoScroll()->setChecked(false);
        QCOMPARE(state.AutoScroll(), false);
    }

    void anEntryFromTheTreeShowsOnTheConnectionPage()
    {
        CConnectionData entry;
        entry.m_dataSource = u"Sales"_qs;
        entry.m_login = u"anna"_qs;
        entry.m_timeOut = 12;
        m_view->ShowEntry(entry);
        CConnectionData shown;
        QVERIFY(m_view->ConnectionPage()->ReadRecord(shown));
        QCOMPARE(shown.m_dataSource, u"Sales"_qs);
        QCOMPARE(shown.m_login, u"anna"_qs);
        QCOMPARE(shown.m_timeOut, 12);
    }

    void editCommandsFollowTheFocus()
    {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        Post(u"one"_qs, {u"a\tb"_qs});

        m_view->List()->setFocus();
        QCOMPARE(Enabled(Command::EditCopy), true);
        QCOMPARE(Enabled(Command::EditSelectAll), true);
        QCOMPARE(Enabled(Command::EditCut), false);
        QCOMPARE(Enabled(Command::EditPaste), false);
        QCOMPARE(Enabled(Command::EditUndo), false);
        QVERIFY(m_view->RunCommand(Command::EditSelectAll));
        QVERIFY(m_view->RunCommand(Command::EditCopy));
        // Every row has as many cells as the list has columns.
        QCOMPARE(QApplication::clipboard()->text(), u"one\t\na\tb"_qs);

        m_view->Tabs()->setCurrentIndex(1);
        auto* password = m_view->ConnectionPage()->findChild<QLineEdit*>(u"password"_qs);
        QVERIFY(password);
        password->setFocus();
        QVERIFY(password->hasFocus());
        for (Command command : {Command::EditUndo, Command::EditPaste, Command::EditSelectAll}) {
            QVERIFY(Enabled(command));
        }
        QApplication::clipboard()->setText(u"pasted"_qs);
        QVERIFY(m_view->RunCommand(Command::EditPaste));
        QCOMPARE(password->text(), u"pasted"_qs);
        QVERIFY(m_view->RunCommand(Command::EditSelectAll));
        QCOMPARE(password->selectedText(), u"pasted"_qs);
        // The password never reaches the clipboard, and Cut does not silently delete it.
        QVERIFY(!Enabled(Command::EditCopy));
        QVERIFY(!Enabled(Command::EditCut));
        QApplication::clipboard()->setText(u"before"_qs);
        QVERIFY(m_view->RunCommand(Command::EditCopy));
        QVERIFY(m_view->RunCommand(Command::EditCut));
        QCOMPARE(QApplication::clipboard()->text(), u"before"_qs);
        QCOMPARE(password->text(), u"pasted"_qs);
        auto* login = m_view->ConnectionPage()->findChild<QLineEdit*>(u"login"_qs);
        QVERIFY(login);
        login->setFocus();
        QVERIFY(Enabled(Command::EditCopy) && Enabled(Command::EditCut));
        bool saveEnabled = false;
        QVERIFY(!m_view->UpdateCommand(Command::FileSave, saveEnabled));
    }

private:
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused && m_view->isAncestorOf(focused));
        QTest::keyClick(focused, key, modifiers);
    }

    bool Enabled(Command command) const
    {
        bool enabled = false;
        return m_view->UpdateCommand(command, enabled) && enabled;
    }

    void Post(const QString& connection, const QStringList& lines)
    {
        auto batch = std::make_unique<CPostElemArray>(connection, int(lines.size()));
        for (const QString& line : lines) {
            batch->Add(ElemRow, line);
        }
        CArrayPostEvent event(batch.get());
        QCoreApplication::sendEvent(m_view.get(), &event);
        QCOMPARE(batch->m_handled.load(), 1);
        m_batches.push_back(std::move(batch));
        // The list's count and columns follow through posted requests.
        QCoreApplication::sendPostedEvents(m_view->Model());
        m_view->Model()->data(m_view->Model()->index(m_view->Model()->RealRows() - 1, 0),
                              Qt::DisplayRole);
        QCoreApplication::sendPostedEvents(m_view->Model());
    }

    std::unique_ptr<CTessellaDoc> m_document;
    std::unique_ptr<CResultsView> m_view;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::vector<std::unique_ptr<CPostElemArray>> m_batches;
};

TESSELLA_GUI_TEST(ResultsPaneTest)

#include "ResultsPaneTest.moc"
