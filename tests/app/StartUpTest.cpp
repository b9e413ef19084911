// Start-up with and without a file argument and a recent-file list, opening, dropping and
// closing documents through the application.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "ScopedFileCapabilityDrop.h"
#include "app/CDocumentManager.h"
#include "app/CMainFrame.h"
#include "app/CMainMenus.h"
#include "app/CRecentFileList.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

class StartUpTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ClearSettings();
        m_app = std::make_unique<TestApp>();
    }

    void cleanup() { m_app.reset(); }

    void aFirstStartOpensANewDocument()
    {
        QVERIFY(m_app->InitInstance({}));
        QCOMPARE(Titles(), QStringList{QStringLiteral("TSL1")});
        QVERIFY(m_app->MainFrame()->isVisible());
        QVERIFY(m_app->shown.isEmpty());
        QCOMPARE(m_app->MainFrame()->windowTitle(), QStringLiteral("Tessella - TSL1"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Tessella"));
    }

    void newDocumentsAreNumbered()
    {
        QVERIFY(m_app->InitInstance({}));
        m_app->OnFileNew();
        m_app->OnFileNew();
        QCOMPARE(Titles(), (QStringList{"TSL1", "TSL2", "TSL3"}));
        QCOMPARE(m_app->MainFrame()->ActiveChild()->Document().Title(), QStringLiteral("TSL3"));
    }

    void withoutArgumentTheLastDocumentOpensAgain()
    {
        const QString path = File(QStringLiteral("last.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 'last'"), {"Sales"}));
        SetRecentFiles({path, File(QStringLiteral("older.tsl"))});
        QVERIFY(m_app->InitInstance({}));
        QCOMPARE(Titles(), QStringList{QStringLiteral("last.tsl")});
        CChildFrame* frame = m_app->MainFrame()->ActiveChild();
        QCOMPARE(frame->Editor()->text(), QStringLiteral("SELECT 'last'"));
        QCOMPARE(frame->Document().RunDocument().m_connections.size(), 1);
    }

    void aMissingLastDocumentIsReportedAndTheWindowStillShows()
    {
        const QString gone = File(QStringLiteral("gone.tsl"));
        SetRecentFiles({gone});
        QVERIFY(m_app->InitInstance({}));
        QCOMPARE(m_app->Texts(),
                 QStringList{gone + QStringLiteral("\nCannot find this file.\nVerify that the "
                                                   "correct path and file name are given.")});
        QVERIFY(Titles().isEmpty());
        QVERIFY(m_app->MainFrame()->isVisible());
        QCOMPARE(m_app->MainFrame()->windowTitle(), QStringLiteral("Tessella"));
    }

    void aFileArgumentWinsOverTheRecentList()
    {
        const QString recent = File(QStringLiteral("recent.tsl"));
        const QString named = File(QStringLiteral("named.sql"));
        QVERIFY(WriteDocument(recent, QStringLiteral("SELECT 1")));
        QVERIFY(WriteDocument(named, QStringLiteral("SELECT 2")));
        SetRecentFiles({recent});
        QVERIFY(m_app->InitInstance({named}));
        QCOMPARE(Titles(), QStringList{QStringLiteral("named.sql")});
        QCOMPARE(m_app->RecentFiles().Files(), (QStringList{named, recent}));
        CRecentFileList stored;
        stored.Load();
        QCOMPARE(stored.Files(), (QStringList{named, recent}));
    }

    void aBrokenDocumentArgumentIsReported()
    {
        const QString broken = File(QStringLiteral("broken.tsl"));
        QVERIFY(WriteDocument(File(QStringLiteral("source.sql")), QStringLiteral("SELECT 1")));
        QVERIFY(QFile::copy(File(QStringLiteral("source.sql")), broken));
        QVERIFY(m_app->InitInstance({broken}));
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Unexpected file format.")});
        QVERIFY(Titles().isEmpty());
        QVERIFY(m_app->RecentFiles().Files().isEmpty());
    }

    void anOpenFileIsActivatedNotOpenedTwice()
    {
        const QString path = File(QStringLiteral("once.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 1")));
        QVERIFY(m_app->InitInstance({path}));
        m_app->OnFileNew();
        CChildFrame* again = m_app->Documents().OpenDocument(path);
        QCOMPARE(Titles(), (QStringList{"once.tsl", "TSL1"}));
        QCOMPARE(m_app->MainFrame()->ActiveChild(), again);
    }

    void droppedFilesAreOpened()
    {
        const QString first = File(QStringLiteral("first.sql"));
        const QString second = File(QStringLiteral("second.tsl"));
        QVERIFY(WriteDocument(first, QStringLiteral("SELECT 1")));
        QVERIFY(WriteDocument(second, QStringLiteral("SELECT 2")));
        QVERIFY(m_app->InitInstance({}));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        CMainFrame& frame = *m_app->MainFrame();
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&frame, &drop);
        QCOMPARE(Titles(), (QStringList{"TSL1", "first.sql", "second.tsl"}));
    }

    void droppedBadFilesAreEachReportedAndTheGoodOnesStillOpen()
    {
        QVERIFY(m_app->InitInstance({}));
        m_app->MainFrame()->ActiveChild()->Editor()->setText(QStringLiteral("SELECT 'kept'"));
        const QString good = File(QStringLiteral("good.tsl"));
        QVERIFY(WriteDocument(good, QStringLiteral("SELECT 'good'"), {"Sales"}));
        QFile goodFile(good);
        QVERIFY(goodFile.open(QIODevice::ReadOnly));
        const QByteArray full = goodFile.readAll();
        const QString truncated = WriteBytes(QStringLiteral("truncated.tsl"), full.left(9));
        const QString hugeCount = WriteBytes(QStringLiteral("huge-count.tsl"),
                                             QByteArray::fromHex("ffffff7f") + full.mid(4));
        const QString folder = File(QStringLiteral("folder.tsl"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.tsl")));
        const QString pipe = File(QStringLiteral("pipe.sql"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString locked = WriteBytes(QStringLiteral("locked.sql"), "SELECT 1");
        QCOMPARE(chmod(QFile::encodeName(locked).constData(), 0), 0);

        const QString unreadable = QStringLiteral("An unexpected error occurred while reading %1.");
        QStringList bad = {truncated, hugeCount, folder, pipe};
        QStringList expected = {QStringLiteral("Unexpected file format."),
                                QStringLiteral("Unexpected file format."), unreadable.arg(folder),
                                unreadable.arg(pipe)};
        ScopedFileCapabilityDrop asUser;
        // Root that cannot drop its file capabilities would simply read the locked file.
        if (asUser.Binding()) {
            bad << locked;
            expected << QStringLiteral("Access to %1 was denied.").arg(locked);
        }
        m_app->OpenFiles(bad << good);
        QCOMPARE(m_app->Texts(), expected);
        QCOMPARE(Titles(), (QStringList{"TSL1", "good.tsl"}));
        // The workbench carries on: the open document is as it was, the good file opened, and
        // only it joined the recent files.
        CChildFrame* opened = m_app->Documents().FindByPath(good);
        QVERIFY(opened);
        QCOMPARE(opened->Editor()->text(), QStringLiteral("SELECT 'good'"));
        QCOMPARE(opened->Document().RunDocument().m_connections.size(), 1);
        QCOMPARE(m_app->Documents().Frames().first()->Editor()->text(),
                 QStringLiteral("SELECT 'kept'"));
        QCOMPARE(m_app->RecentFiles().Files(), QStringList{good});
        m_app->OnFileNew();
        QCOMPARE(Titles().size(), 3);
    }

    void recentFilesAppearInTheFileMenuAndOpen()
    {
        const QString path = File(QStringLiteral("menu.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 1")));
        SetRecentFiles({path});
        QVERIFY(m_app->InitInstance({}));
        m_app->MainFrame()->ActiveChild()->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Titles().isEmpty());
        const QList<QAction*> recent = m_app->MainFrame()->Menus().RecentActions();
        QCOMPARE(recent.size(), 1);
        QVERIFY(recent.at(0)->text().startsWith(QStringLiteral("&1 ")));
        QVERIFY(recent.at(0)->text().endsWith(QStringLiteral("menu.tsl")));
        recent.at(0)->trigger();
        QCOMPARE(Titles(), QStringList{QStringLiteral("menu.tsl")});
    }

    void aRecentFileThatIsGoneLeavesTheList()
    {
        const QString kept = File(QStringLiteral("kept.tsl"));
        QVERIFY(WriteDocument(kept, QStringLiteral("SELECT 1")));
        SetRecentFiles({kept, File(QStringLiteral("vanished.tsl"))});
        QVERIFY(m_app->InitInstance({}));
        m_app->OnOpenRecentFile(1);
        QCOMPARE(m_app->shown.size(), 1);
        QCOMPARE(m_app->RecentFiles().Files(), QStringList{kept});
        QCOMPARE(m_app->MainFrame()->Menus().RecentActions().size(), 1);
    }

    void exitAsksForEachModifiedDocumentAndStopsAtCancel()
    {
        QVERIFY(m_app->InitInstance({}));
        m_app->MainFrame()->ActiveChild()->Editor()->setText(QStringLiteral("SELECT 1"));
        m_app->answers = {QMessageBox::Cancel};
        QVERIFY(!m_app->MainFrame()->close());
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Save changes to TSL1?")});
        QCOMPARE(Titles(), QStringList{QStringLiteral("TSL1")});
        m_app->answers = {QMessageBox::No};
        QVERIFY(m_app->MainFrame()->close());
    }

    void theRecentListKeepsTenNewestFirst()
    {
        CRecentFileList list;
        for (int i = 1; i <= 12; ++i) {
            list.Add(File(QStringLiteral("f%1.tsl").arg(i)));
        }
        QCOMPARE(list.Files().size(), CRecentFileList::kSize);
        QCOMPARE(list.First(), File(QStringLiteral("f12.tsl")));
        QCOMPARE(list.Files().last(), File(QStringLiteral("f3.tsl")));
        list.Add(File(QStringLiteral("f5.tsl")));
        QCOMPARE(list.First(), File(QStringLiteral("f5.tsl")));
        QCOMPARE(list.Files().count(File(QStringLiteral("f5.tsl"))), 1);
        list.Save();
        QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
        QCOMPARE(store.value(QStringLiteral("Recent File List/File1")).toString(),
                 File(QStringLiteral("f5.tsl")));
        QCOMPARE(store.value(QStringLiteral("Recent File List/File10")).toString(),
                 File(QStringLiteral("f3.tsl")));
        QVERIFY(!store.contains(QStringLiteral("Recent File List/File11")));
    }

    void menuNamesAreShortened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short") << QStringLiteral("/tmp/a.tsl") << QStringLiteral("/tmp/a.tsl");
        QTest::newRow("folders give way")
            << QStringLiteral("/home/user/projects/tessella/queries/monthly.tsl")
            << QStringLiteral("/home/.../queries/monthly.tsl");
        QTest::newRow("long name") << QStringLiteral("/x/a-very-long-file-name-for-reports.tsl")
                                   << QStringLiteral("a-very-long-file-name-for-reports.tsl");
    }

    void menuNamesAreShortened()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(CRecentFileList::DisplayName(path), shown);
    }

private:
    QStringList Titles() const
    {
        QStringList titles;
        for (CChildFrame* frame : m_app->Documents().Frames()) {
            titles << frame->Document().Title();
        }
        return titles;
    }

    QString File(const QString& name) const { return m_dir.filePath(name); }

    QString WriteBytes(const QString& name, const QByteArray& bytes) const
    {
        QFile file(File(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write %s", qPrintable(file.fileName()));
        }
        return file.fileName();
    }

    static void SetRecentFiles(const QStringList& files)
    {
        CRecentFileList list;
        for (auto it = files.crbegin(); it != files.crend(); ++it) {
            list.Add(*it);
        }
        list.Save();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TestApp> m_app;
};

TESSELLA_GUI_TEST(StartUpTest)
#include "StartUpTest.moc"
