// The document window driving runs: Run and Stop enabling, the SQL a run takes from the editor,
// the progress bar, the keys of the window.

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "RecordingMessages.h"
#include "SilentServer.h"
#include "TimeBounds.h"
#include "ViewTestSupport.h"
#include "execution/CAbandonedThreads.h"
#include "results/CDlgClosingThreads.h"
#include "results/CResultListModel.h"
#include "results/CResultsView.h"
#include "views/CChildFrame.h"
#include "views/CLeftView.h"
#include "views/CProgressDlg.h"
#include "views/CQueryDocument.h"
#include "views/CSplitterKeyboardMover.h"
#include "views/CTessellaView.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QTest>
#include <QTimer>

#include <optional>

class ChildFrameTest : public QObject
{
    Q_OBJECT

    static constexpr int kHungTimeOutSeconds = 2;

private slots:
    void init()
    {
        m_app = std::make_unique<RecordingApp>();
        m_source = std::make_unique<SqliteDataSource>();
        m_frame = std::make_unique<CChildFrame>();
        m_frame->resize(900, 600);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    }

    void cleanup()
    {
        if (m_frame) {
            RunDocument().StopRun(1);
        }
        m_frame.reset();
        m_source.reset();
        m_app.reset();
    }

    void runStaysDisabledWithoutConnections()
    {
        m_frame->Editor()->setText(QStringLiteral("SELECT 1"));
        QVERIFY(!m_frame->CanRun());
        QVERIFY(!m_frame->RunAction()->isEnabled());
        QVERIFY(!m_frame->StopAction()->isEnabled());
        m_frame->OnRun();
        QVERIFY(RunDocument().IsIdle());
        QCOMPARE(RunDocument().Results().Count(), 0);
    }

    void runAndStopFollowTheRun()
    {
        AddConnection();
        QVERIFY(m_frame->RunAction()->isEnabled());
        m_frame->Editor()->setText(RowsSql(50'000'000));
        m_frame->OnRun();
        QVERIFY(!m_frame->RunAction()->isEnabled());
        QVERIFY(m_frame->StopAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(RunDocument().Results().Count() > 200, 20000);
        QVERIFY(!m_frame->CanRun());

        m_frame->StopAction()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_frame->RunAction()->isEnabled(), 20000);
        QVERIFY(!m_frame->StopAction()->isEnabled());
        QVERIFY(RunDocument().IsIdle());
    }

    void closingDuringARunWaitsBehindTheClosingWindow()
    {
        // One connection streams rows and stops at its next one; the other
        // hangs in its connect to a server that never answers, which no stop
        // can cut short, so the window must wait for its time-out.
        AddConnection();
        SilentServer silent;
        QVERIFY(silent.Port() != 0);
        const QString hung = QStringLiteral("HungServer");
        OdbcTestConfig::Instance().SetDataSource(
            hung, {{QStringLiteral("Driver"), QStringLiteral("PostgreSQL Unicode")},
                   {QStringLiteral("Servername"), QStringLiteral("127.0.0.1")},
                   {QStringLiteral("Port"), QString::number(silent.Port())},
                   {QStringLiteral("Database"), QStringLiteral("nothing")},
                   {QStringLiteral("SSLmode"), QStringLiteral("disable")}});
        const auto removeHung =
            qScopeGuard([&hung] { OdbcTestConfig::Instance().RemoveDataSource(hung); });
        CConnectionData hungEntry = Entry(hung);
        hungEntry.m_timeOut = kHungTimeOutSeconds;
        RunDocument().m_connections.append(hungEntry);
        m_frame->Document().UpdateAllViews(nullptr);

        m_frame->Editor()->setText(RowsSql(50'000'000));
        m_frame->OnRun();
        QTRY_VERIFY_WITH_TIMEOUT(RunDocument().Results().Count() > 200, 20000);
        QVERIFY(!RunDocument().IsIdle());
        m_frame->Document().SetModifiedFlag(false); // no question about saving

        QString shownWhileWaiting;
        QTimer::singleShot(300, this, [&shownWhileWaiting] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                const auto labels = modal->findChildren<QLabel*>();
                shownWhileWaiting = labels.isEmpty() ? QString() : labels.first()->text();
            }
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(m_frame->close());
        QCOMPARE(shownWhileWaiting, QStringLiteral("Closing threads and database connections"));
        QVERIFY(RunDocument().IsIdle());
        // The window checks once a second; the hung connect gives up at its time-out.
        QVERIFY2(clock.elapsed() < TimeBound((kHungTimeOutSeconds + 2) * 1000),
                 qPrintable(QString::number(clock.elapsed())));
    }

    void closeAnywayLeavesAConnectThatNeverEndsBehind()
    {
        // Time-out 0: the connect waits for the silent server's answer for ever.
        std::optional<SilentServer> silent(std::in_place);
        QVERIFY(silent->Port() != 0);
        const QString stuck = QStringLiteral("StuckServer");
        OdbcTestConfig::Instance().SetDataSource(
            stuck, {{QStringLiteral("Driver"), QStringLiteral("PostgreSQL Unicode")},
                    {QStringLiteral("Servername"), QStringLiteral("127.0.0.1")},
                    {QStringLiteral("Port"), QString::number(silent->Port())},
                    {QStringLiteral("Database"), QStringLiteral("nothing")},
                    {QStringLiteral("SSLmode"), QStringLiteral("disable")}});
        const auto removeStuck =
            qScopeGuard([&stuck] { OdbcTestConfig::Instance().RemoveDataSource(stuck); });
        CConnectionData entry = Entry(stuck);
        entry.m_timeOut = 0;
        RunDocument().m_connections.append(entry);
        m_frame->Document().UpdateAllViews(nullptr);
        const std::size_t leftBefore = CAbandonedThreads::StillRunning();

        m_frame->Editor()->setText(QStringLiteral("SELECT 1"));
        m_frame->OnRun();
        QTest::qWait(500);
        QVERIFY(!RunDocument().IsIdle());
        m_frame->Document().SetModifiedFlag(false);

        QElapsedTimer clock;
        qint64 offeredAt = -1;
        QTimer look;
        look.setInterval(50);
        connect(&look, &QTimer::timeout, this, [&] {
            auto* window = qobject_cast<CDlgClosingThreads*>(QApplication::activeModalWidget());
            if (window && window->CloseAnywayButton() && window->CloseAnywayButton()->isVisible()) {
                look.stop();
                offeredAt = clock.elapsed();
                QTest::mouseClick(window->CloseAnywayButton(), Qt::LeftButton);
            }
        });
        // A window that never offers the way out must not hold the test for ever:
        // without its server the connect fails and the thread ends.
        QTimer::singleShot(15000, this, [&silent] { silent.reset(); });
        clock.start();
        look.start();
        QVERIFY(m_frame->close());
        m_frame.reset();
        const qint64 closedAt = clock.elapsed();
        QVERIFY2(offeredAt >= 4900, qPrintable(QString::number(offeredAt)));
        QVERIFY2(closedAt < TimeBound(6000), qPrintable(QString::number(closedAt)));
        QCOMPARE(CAbandonedThreads::StillRunning(), leftBefore + 1);

        // The connect returns into a thread whose document and windows are gone.
        silent.reset();
        QTRY_COMPARE_WITH_TIMEOUT(CAbandonedThreads::StillRunning(), leftBefore,
                                  int(TimeBound(10000)));
        QTest::qWait(200);
    }

    void altRRunsWhereverTheFocusIs()
    {
        AddConnection();
        m_frame->Editor()->setText(QStringLiteral("SELECT 42 AS answer"));
        m_frame->Tree()->setFocus();
        QTest::keyClick(m_frame->Tree(), Qt::Key_R, Qt::AltModifier);
        QVERIFY(WaitForIdle(RunDocument()));
        QVERIFY2(ResultTexts(RunDocument()).contains(QStringLiteral("42")),
                 qPrintable(ResultTexts(RunDocument()).join(u'|')));
    }

    void runTakesTheSelectionOnly()
    {
        AddConnection();
        CTessellaView& editor = *m_frame->Editor();
        editor.setText(QStringLiteral("SELECT 'first' AS a ;\r\nSELECT 'second' AS b"));
        editor.setSelection(1, 0, 1, editor.lineLength(1));
        m_frame->OnRun();
        QVERIFY(WaitForIdle(RunDocument()));
        const QStringList rows = ResultTexts(RunDocument());
        QVERIFY2(rows.contains(QStringLiteral("second")), qPrintable(rows.join(u'|')));
        QVERIFY(!rows.contains(QStringLiteral("first")));
        QCOMPARE(editor.selectedText(), QStringLiteral("SELECT 'second' AS b"));
        // The list learns the count by a posted event.
        QTRY_COMPARE(m_frame->Results()->Model()->rowCount(), int(RunDocument().Results().Count()));
    }

    void runWithoutSelectionSelectsAndRunsAll()
    {
        AddConnection();
        CTessellaView& editor = *m_frame->Editor();
        editor.setText(QStringLiteral("SELECT 'first' AS a ;\r\nSELECT 'second' AS b"));
        QVERIFY(!editor.hasSelectedText());
        m_frame->OnRun();
        QVERIFY(WaitForIdle(RunDocument()));
        const QStringList rows = ResultTexts(RunDocument());
        QVERIFY(rows.contains(QStringLiteral("first")));
        QVERIFY(rows.contains(QStringLiteral("second")));
        QCOMPARE(editor.selectedText(), editor.text());
        QCOMPARE(RunDocument().Batches().size(), 2);
    }

    void progressBarShowsTheBatchCount()
    {
        CProgressDlg& progress = *m_frame->ProgressBar();
        QVERIFY(progress.isHidden());
        QCoreApplication::postEvent(&progress, new CValueEvent(CRegisteredEvents::DelayShow(), 1));
        QCoreApplication::postEvent(&progress,
                                    new CValueEvent(CRegisteredEvents::SetCtrlNum(), 200));
        QCoreApplication::sendPostedEvents(&progress);
        QVERIFY(progress.isVisible());
        QCOMPARE(progress.CountText(), QStringLiteral("200"));
        QCoreApplication::postEvent(&progress, new CValueEvent(CRegisteredEvents::DelayShow(), 0));
        QCoreApplication::sendPostedEvents(&progress);
        QVERIFY(progress.isHidden());
    }

    void aRunOfManyBatchesCountsThemOnTheBar()
    {
        AddConnection();
        QStringList batches;
        for (int i = 0; i < 250; ++i) {
            batches << QStringLiteral("SELECT %1").arg(i);
        }
        m_frame->Editor()->setText(batches.join(QStringLiteral(" ;\n")));
        m_frame->OnRun();
        QVERIFY(WaitForIdle(RunDocument()));
        QCoreApplication::processEvents();
        QCOMPARE(RunDocument().Batches().size(), 250);
        QCOMPARE(m_frame->ProgressBar()->CountText(), QStringLiteral("200"));
        QVERIFY(m_frame->ProgressBar()->isHidden());
    }

    void nextPaneCyclesThroughThePanes()
    {
        m_frame->Editor()->setFocus();
        m_frame->ActivateNextPane(true);
        // The results pane carries the edit commands of its list and text boxes.
        QCOMPARE(m_frame->ActiveTarget(), static_cast<CCommandTarget*>(m_frame->Results()));
        m_frame->ActivateNextPane(true);
        QVERIFY(m_frame->Tree()->hasFocus());
        m_frame->ActivateNextPane(false);
        QVERIFY(m_frame->Results()->isAncestorOf(QApplication::focusWidget()) ||
                m_frame->Results()->hasFocus());
        m_frame->ActivateNextPane(false);
        QCOMPARE(m_frame->ActiveTarget(), static_cast<CCommandTarget*>(m_frame->Editor()));
    }

    void splitKeysMoveTheBarsAndEscapePutsThemBack()
    {
        QSplitter& outer = *m_frame->OuterSplitter();
        QSplitter& inner = *m_frame->InnerSplitter();
        const QList<int> outerBefore = outer.sizes();
        const QList<int> innerBefore = inner.sizes();
        m_frame->StartSplitTracking();
        QTest::keyClick(m_frame->Editor(), Qt::Key_Down);
        QTest::keyClick(m_frame->Editor(), Qt::Key_Right);
        QCOMPARE(outer.sizes().at(0), outerBefore.at(0) + CSplitterKeyboardMover::kStep);
        QCOMPARE(inner.sizes().at(0), innerBefore.at(0) + CSplitterKeyboardMover::kStep);
        QVERIFY(m_frame->Editor()->text().isEmpty()); // the keys did not reach the editor
        QTest::keyClick(m_frame->Editor(), Qt::Key_Escape);
        QVERIFY(!m_frame->SplitMover()->IsActive());
        QCOMPARE(outer.sizes(), outerBefore);
        QCOMPARE(inner.sizes(), innerBefore);

        m_frame->StartSplitTracking();
        QTest::keyClick(m_frame->Editor(), Qt::Key_Up);
        QTest::keyClick(m_frame->Editor(), Qt::Key_Return);
        QCOMPARE(outer.sizes().at(0), outerBefore.at(0) - CSplitterKeyboardMover::kStep);
    }

private:
    CTessellaDoc& RunDocument() { return m_frame->Document().RunDocument(); }

    void AddConnection()
    {
        RunDocument().m_connections.append(Entry(m_source->Name()));
        m_frame->Document().UpdateAllViews(nullptr);
    }

    std::unique_ptr<RecordingApp> m_app;
    std::unique_ptr<SqliteDataSource> m_source;
    std::unique_ptr<CChildFrame> m_frame;
};

TESSELLA_GUI_TEST(ChildFrameTest)
#include "ChildFrameTest.moc"
