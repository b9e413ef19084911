// The connection tree: building on first paint, check boxes taken over into the document, the
// entry shown when one is picked, and "Reset connection".

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "RecordingMessages.h"
#include "RecordingResultsWindow.h"
#include "ViewTestSupport.h"
#include "views/CChildFrame.h"
#include "views/CLeftView.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class LeftViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_app = std::make_unique<RecordingApp>();
        m_document = std::make_unique<CQueryDocument>();
        m_editor = std::make_unique<CTessellaView>();
        m_document->AttachEditor(m_editor.get());
        m_tree = std::make_unique<CLeftView>(*m_document);
        m_tree->resize(240, 300);
    }

    void cleanup()
    {
        m_document->RunDocument().StopRun(1);
        // The document goes first, as in a document window: it tells the tree on its way out.
        m_document.reset();
        m_tree.reset();
        m_editor.reset();
        m_app.reset();
    }

    void updatesBeforeTheFirstPaintAreDropped()
    {
        Connections() << Entry(QStringLiteral("alpha")) << Entry(QStringLiteral("beta"), 0);
        m_document->UpdateAllViews(nullptr);
        QCOMPARE(m_tree->topLevelItemCount(), 0);
        QVERIFY(m_tree->WaitingForFirstPaint());
        ShowTree();
        QCOMPARE(m_tree->topLevelItemCount(), 2);
        QCOMPARE(m_tree->topLevelItem(0)->text(0), QStringLiteral("alpha"));
        QCOMPARE(m_tree->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(m_tree->topLevelItem(1)->checkState(0), Qt::Unchecked);
    }

    void laterUpdatesRebuildExceptFromItself()
    {
        ShowTree();
        Connections() << Entry(QStringLiteral("alpha"));
        m_document->UpdateAllViews(m_tree.get());
        QCOMPARE(m_tree->topLevelItemCount(), 0);
        m_document->UpdateAllViews(nullptr);
        QCOMPARE(m_tree->topLevelItemCount(), 1);
    }

    void clearingACheckBoxDisablesTheEntryAndMarksModified()
    {
        Connections() << Entry(QStringLiteral("alpha")) << Entry(QStringLiteral("beta"));
        ShowTree();
        QSignalSpy updates(m_document.get(), &CQueryDocument::updated);
        QVERIFY(!m_document->IsModified());
        ClickCheckBox(1);
        QCOMPARE(Connections().at(1).m_enabled, 0);
        QCOMPARE(Connections().at(0).m_enabled, 1);
        QVERIFY(m_document->IsModified());
        // The changed entry is told to the other views (the click also selects the item).
        QVERIFY(!updates.isEmpty());
        for (const QList<QVariant>& update : updates) {
            QCOMPARE(update.at(0).value<QObject*>(), m_tree.get());
            QCOMPARE(update.at(1).toInt(), 1);
        }
        QCOMPARE(m_tree->currentItem(), m_tree->topLevelItem(1));

        ClickCheckBox(1);
        QCOMPARE(Connections().at(1).m_enabled, 1);
    }

    void onlyTheFirstEntryOfANameChanges()
    {
        Connections() << Entry(QStringLiteral("twin")) << Entry(QStringLiteral("twin"));
        ShowTree();
        ClickCheckBox(1);
        // The second item's box is cleared, so the first entry of the name takes it.
        QCOMPARE(Connections().at(0).m_enabled, 0);
        QCOMPARE(Connections().at(1).m_enabled, 1);
        QCOMPARE(m_tree->topLevelItem(1)->checkState(0), Qt::Unchecked);
    }

    void theSpaceKeyTogglesTheSelectedItem()
    {
        Connections() << Entry(QStringLiteral("alpha"));
        ShowTree();
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
        QTest::keyClick(m_tree.get(), Qt::Key_Space);
        QCoreApplication::sendPostedEvents(m_tree.get(), CLeftView::TCheckEvent());
        QCOMPARE(Connections().at(0).m_enabled, 0);
    }

    void pickingAnItemShowsItsEntry()
    {
        CConnectionData second = Entry(QStringLiteral("beta"));
        second.m_login = QStringLiteral("scott");
        Connections() << Entry(QStringLiteral("alpha")) << second;
        ShowTree();
        QString shownLogin;
        connect(m_document.get(), &CQueryDocument::updated, this,
                [&shownLogin](QObject*, int hint, const CConnectionData* entry) {
                    if (hint == CQueryDocument::kHintShowEntry && entry) {
                        shownLogin = entry->m_login;
                    }
                });
        m_tree->setCurrentItem(m_tree->topLevelItem(1));
        QCOMPARE(shownLogin, QStringLiteral("scott"));
        QVERIFY(!m_document->IsModified());
    }

    void pickingARunConnectionScrollsTheResults()
    {
        SqliteDataSource source;
        Connections() << Entry(QStringLiteral("other")) << Entry(source.Name());
        Connections()[0].m_enabled = 0;
        ShowTree();
        QSignalSpy scrolls(m_tree.get(), &CLeftView::scrollResultsTo);
        RunOn(QStringLiteral("SELECT 1"));
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
        QCOMPARE(scrolls.size(), 0); // no rows of its own
        m_tree->setCurrentItem(m_tree->topLevelItem(1));
        QCOMPARE(scrolls.size(), 1);
        QCOMPARE(scrolls.at(0).at(0).toString(), source.Name());
    }

    void resetConnectionNeedsAnOpenKeptConnection()
    {
        SqliteDataSource source;
        Connections() << Entry(source.Name());
        ShowTree();
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
        QVERIFY(!m_tree->CanResetConnection()); // never run
        std::unique_ptr<QMenu> menu(m_tree->CreateContextMenu(nullptr));
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Reset connection"));
        QCOMPARE(menu->actions().at(0)->statusTip(), QStringLiteral("Reconnect at next run"));
        QVERIFY(!menu->actions().at(0)->isEnabled());

        RunOn(QStringLiteral("SELECT 1"));
        QCOMPARE(m_tree->topLevelItem(0)->data(0, Qt::UserRole).toBool(), true);
        QVERIFY(m_tree->CanResetConnection());
        menu.reset(m_tree->CreateContextMenu(nullptr));
        QVERIFY(menu->actions().at(0)->isEnabled());
        menu->actions().at(0)->trigger();
        QVERIFY(!m_document->RunDocument().IsDataSourceConnected(source.Name(), false));
        QCoreApplication::sendPostedEvents(m_tree.get(), CRegisteredEvents::CheckConnections());
        QCOMPARE(m_tree->topLevelItem(0)->data(0, Qt::UserRole).toBool(), false);
        QVERIFY(!m_tree->CanResetConnection());
    }

private:
    CConnectionDataArray& Connections() { return m_document->RunDocument().m_connections; }

    void ShowTree()
    {
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
        QTRY_VERIFY(!m_tree->WaitingForFirstPaint());
        QCoreApplication::processEvents();
    }

    void ClickCheckBox(int row)
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        const QRect rect = m_tree->visualItemRect(item);
        // The check box is the first thing of the row.
        const QPoint box(rect.left() + m_tree->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 +
                             3,
                         rect.center().y());
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, box);
        QCoreApplication::sendPostedEvents(m_tree.get(), CLeftView::TCheckEvent());
    }

    void RunOn(const QString& sql)
    {
        // The results go to a window that takes them, as the results pane does.
        RecordingResultsWindow window(m_document->RunDocument());
        CStringTextSource source(sql);
        m_document->RunDocument().StartRun(source);
        QVERIFY(WaitForIdle(m_document->RunDocument()));
        QCoreApplication::sendPostedEvents(m_tree.get(), CRegisteredEvents::CheckConnections());
        m_document->RunDocument().SetResultsWindow(nullptr);
    }

    std::unique_ptr<RecordingApp> m_app;
    std::unique_ptr<CQueryDocument> m_document;
    std::unique_ptr<CTessellaView> m_editor;
    std::unique_ptr<CLeftView> m_tree;
};

TESSELLA_GUI_TEST(LeftViewTest)
#include "LeftViewTest.moc"
