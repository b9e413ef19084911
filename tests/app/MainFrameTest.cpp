// The main window: its menus with and without a document, the tool bar, the status bar, the
// enabling of the commands through a run, and the window arrangements.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "app/CDocumentManager.h"
#include "app/CMainFrame.h"
#include "app/CMainMenus.h"
#include "app/CMdiArranger.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

class MainFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ClearSettings();
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }

    void cleanup()
    {
        for (CChildFrame* child : m_app->Documents().Frames()) {
            child->Document().RunDocument().StopRun(1);
        }
        m_app.reset();
    }

    void menusFollowTheActiveDocument()
    {
        QCOMPARE(VisibleMenus(),
                 (QStringList{"&File", "&Edit", "&Query", "&View", "&Window", "&Help"}));
        QCOMPARE(VisibleItems(Frame()->Menus().FileMenu()),
                 (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S",
                              "Save &As...", "&Export Results...", "&Print...\tCtrl+P",
                              "Print Pre&view", "P&rint Setup...", "Recent File", "E&xit"}));
        CloseAll();
        QCOMPARE(VisibleMenus(), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(VisibleItems(Frame()->Menus().FileMenu()),
                 (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "P&rint Setup...", "Recent File",
                              "E&xit"}));
        QCOMPARE(VisibleItems(Menu("&View")),
                 (QStringList{"&Toolbar", "&Status Bar", "S&plit", "&History...", "Options..."}));
        QVERIFY(!Frame()->Action(Command::FileSave)->isEnabled());
    }

    void documentMenusListTheirCommands()
    {
        QCOMPARE(VisibleItems(Menu("&Edit")),
                 (QStringList{"&Undo\tCtrl+Z", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                              "Paste from file...", "Select A&ll\tCtrl+A", "&Find...\tCtrl+F",
                              "F&ind Next\tF3", "R&eplace\tCtrl+H"}));
        QCOMPARE(VisibleItems(Menu("&Query")), (QStringList{"&Run\tAlt+R", "&Stop\tAlt+S"}));
        QCOMPARE(VisibleItems(Menu("&View")),
                 (QStringList{"&Toolbar", "&Status Bar", "&History...", "Options..."}));
        QCOMPARE(VisibleItems(Menu("&Help")), (QStringList{"&Help Topics", "&About Tessella..."}));
        emit Frame()->Menus().WindowMenu()->aboutToShow();
        QCOMPARE(VisibleItems(Menu("&Window")),
                 (QStringList{"&Cascade", "Tile &horizontal", "Tile &vertical", "&Arrange Icons",
                              "&Split", "&1 TSL1"}));
    }

    void theToolBarHoldsTheCommandsInOrder()
    {
        QStringList names;
        for (QAction* action : Frame()->MainToolBar()->actions()) {
            names << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
        }
        QCOMPARE(names, (QStringList{"57600", "57601", "57603", "|", "57635", "57634", "57637", "|",
                                     "32772", "57607", "|", "57664", "57669"}));
    }

    void helpAndAboutAreEnabled()
    {
        QVERIFY(Frame()->Action(Command::HelpTopics)->isEnabled());
        QVERIFY(Frame()->Action(Command::ContextHelp)->isEnabled());
        QVERIFY(Frame()->Action(Command::AppAbout)->isEnabled());
    }

    void keysOfTheCommands()
    {
        const auto keys = [this](Command command) { return Frame()->Action(command)->shortcuts(); };
        QVERIFY(keys(Command::EditCopy).contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
        QVERIFY(keys(Command::EditCut).contains(QKeySequence(Qt::SHIFT | Qt::Key_Delete)));
        QVERIFY(keys(Command::EditPaste).contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)));
        QVERIFY(keys(Command::EditUndo).contains(QKeySequence(Qt::ALT | Qt::Key_Backspace)));
        QCOMPARE(keys(Command::EditFindNext), QList<QKeySequence>{QKeySequence(Qt::Key_F3)});
        QCOMPARE(keys(Command::NextPane), QList<QKeySequence>{QKeySequence(Qt::Key_F6)});
    }

    void theStatusBarShowsTheIdleTextOrTheCommandsTip()
    {
        QStatusBar* bar = Frame()->statusBar();
        QCOMPARE(Frame()->IdleLabel()->text(),
                 QStringLiteral("You can copy result pane, see edit menu."));
        QVERIFY(Frame()->IdleLabel()->isVisible());
        Frame()->Action(Command::Options)->showStatusText(Frame());
        QCOMPARE(bar->currentMessage(), QStringLiteral("General options."));
        QVERIFY(!Frame()->IdleLabel()->isVisible());
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(Frame(), &leave);
        QVERIFY(bar->currentMessage().isEmpty());
        QVERIFY(Frame()->IdleLabel()->isVisible());
    }

    void barsCanBeHidden()
    {
        Frame()->Action(Command::ViewToolBar)->trigger();
        QVERIFY(!Frame()->MainToolBar()->isVisible());
        Frame()->Action(Command::ViewStatusBar)->trigger();
        QVERIFY(!Frame()->statusBar()->isVisible());
        Frame()->Action(Command::ViewToolBar)->trigger();
        QVERIFY(Frame()->MainToolBar()->isVisible());
        QVERIFY(Frame()->Action(Command::ViewToolBar)->isChecked());
    }

    void runAndStopFollowTheDocumentThroughARun()
    {
        SqliteDataSource source;
        CChildFrame* child = Frame()->ActiveChild();
        child->Editor()->setText(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n"));
        QVERIFY(!Frame()->Action(Command::QueryRun)->isEnabled());
        CConnectionData entry;
        entry.m_dataSource = source.Name();
        child->Document().RunDocument().m_connections << entry;
        child->Document().UpdateAllViews(nullptr);
        QVERIFY(Frame()->Action(Command::QueryRun)->isEnabled());
        QVERIFY(!Frame()->Action(Command::QueryStop)->isEnabled());

        Frame()->Action(Command::QueryRun)->trigger();
        QVERIFY(!Frame()->Action(Command::QueryRun)->isEnabled());
        QVERIFY(Frame()->Action(Command::QueryStop)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(child->Document().RunDocument().Results().Count() > 100, 20000);
        Frame()->Action(Command::QueryStop)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(Frame()->Action(Command::QueryRun)->isEnabled(), 20000);
        QVERIFY(!Frame()->Action(Command::QueryStop)->isEnabled());
    }

    void editCommandsFollowTheEditorSelection()
    {
        CChildFrame* child = Frame()->ActiveChild();
        child->Editor()->setText(QStringLiteral("SELECT 1"));
        QVERIFY(!Frame()->Action(Command::EditCopy)->isEnabled());
        child->Editor()->selectAll();
        // The editor tells of a new selection once it has painted it.
        QTRY_VERIFY(Frame()->Action(Command::EditCopy)->isEnabled());
        Frame()->Action(Command::EditCut)->trigger();
        QVERIFY(child->Editor()->text().isEmpty());
        QTRY_VERIFY(!Frame()->Action(Command::EditCopy)->isEnabled());
        QVERIFY(Frame()->Action(Command::EditUndo)->isEnabled());
    }

    void windowsTileBothWaysAndCascade()
    {
        m_app->OnFileNew();
        QMdiArea& area = *Frame()->MdiArea();
        CMdiArranger::TileVertically(area);
        QList<QMdiSubWindow*> windows = area.subWindowList();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows.at(0)->geometry().top(), windows.at(1)->geometry().top());
        QVERIFY(windows.at(0)->geometry().right() < windows.at(1)->geometry().left());
        QCOMPARE(windows.at(0)->height(), area.viewport()->height());
        CMdiArranger::TileHorizontally(area);
        QCOMPARE(windows.at(0)->geometry().left(), windows.at(1)->geometry().left());
        QVERIFY(windows.at(0)->geometry().bottom() < windows.at(1)->geometry().top());
        QCOMPARE(windows.at(0)->width(), area.viewport()->width());
        // Cascade, from its menu command: the windows overlap, each a step off the other.
        Frame()->Action(Command::WindowCascade)->trigger();
        QVERIFY(windows.at(0)->geometry().intersects(windows.at(1)->geometry()));
        QVERIFY(windows.at(0)->geometry().top() != windows.at(1)->geometry().top());
    }

private:
    CMainFrame* Frame() const { return m_app->MainFrame(); }

    void CloseAll()
    {
        Frame()->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Frame()->UpdateCommands();
    }

    QStringList VisibleMenus() const
    {
        QStringList titles;
        for (QAction* action : Frame()->menuBar()->actions()) {
            if (action->isVisible() && action->menu()) {
                titles << action->text();
            }
        }
        return titles;
    }

    QMenu* Menu(const char* title) const
    {
        for (QAction* action : Frame()->menuBar()->actions()) {
            if (action->text() == QLatin1String(title)) {
                return action->menu();
            }
        }
        return nullptr;
    }

    static QStringList VisibleItems(QMenu* menu)
    {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (action->isVisible() && !action->isSeparator()) {
                texts << action->text();
            }
        }
        return texts;
    }

    std::unique_ptr<TestApp> m_app;
};

TESSELLA_GUI_TEST(MainFrameTest)
#include "MainFrameTest.moc"
