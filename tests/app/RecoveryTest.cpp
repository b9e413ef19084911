// Recovery copies of modified documents while the workbench runs, and the offer of those that
// an earlier instance left behind: in process, and with the real program killed and restarted.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "app/CDlgRecovery.h"
#include "app/CDocumentManager.h"
#include "app/CMainFrame.h"
#include "app/CRecoveryManager.h"
#include "document/CRecoveryOwner.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {

QString Root()
{
    return CRecoveryOwner::DefaultRoot();
}

// Every copy under the root, whoever wrote it, with its content.
QList<CRecoveryCopy> AllCopies(const QString& root)
{
    QList<CRecoveryCopy> copies;
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const CRecoveryStore store(QDir(root).filePath(name));
        for (const CRecoveryCopy& listed : store.List()) {
            CRecoveryCopy copy;
            QString error;
            if (store.Read(listed.key, copy, error)) {
                copies << copy;
            }
        }
    }
    return copies;
}

// The instance folders that hold a copy.
QStringList FoldersWithCopies(const QString& root)
{
    QStringList folders;
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!CRecoveryStore(QDir(root).filePath(name)).IsEmpty()) {
            folders << name;
        }
    }
    return folders;
}

// What a copy left by an earlier instance looks like: written, then its folder let go.
void LeaveCopies(const QList<CRecoveryCopy>& copies)
{
    auto owner = CRecoveryOwner::Create(Root());
    QVERIFY(owner);
    for (const CRecoveryCopy& copy : copies) {
        QString error;
        QVERIFY2(owner->Store().Write(copy, error), qUtf8Printable(error));
    }
}

CRecoveryCopy Copy(const QString& key, const QString& title, const QString& path,
                   const QString& sql)
{
    CRecoveryCopy copy;
    copy.key = key;
    copy.title = title;
    copy.pathName = path;
    copy.written = QDateTime::fromString(QStringLiteral("2026-05-06T07:08:09.000Z"), Qt::ISODate);
    copy.content.sqlText = sql;
    CConnectionData entry;
    entry.m_dataSource = QStringLiteral("Sales");
    copy.content.connections << entry;
    return copy;
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ClearSettings();
        QDir(Root()).removeRecursively();
        m_app = std::make_unique<TestApp>();
    }

    void cleanup() { m_app.reset(); }

    void aModifiedDocumentHasACopyUntilItIsSavedOrClosed()
    {
        QVERIFY(m_app->InitInstance({}));
        m_app->Recovery().SetInterval(50);
        CChildFrame* frame = m_app->MainFrame()->ActiveChild();
        QTest::keyClicks(frame->Editor(), QStringLiteral("SELECT 'typed'"));
        QTRY_COMPARE(AllCopies(Root()).size(), 1);
        CRecoveryCopy copy = AllCopies(Root()).first();
        QCOMPARE(copy.title, QStringLiteral("TSL1"));
        QVERIFY(copy.pathName.isEmpty());
        QCOMPARE(copy.content.sqlText, QStringLiteral("SELECT 'typed'"));

        // Later changes reach the copy at the next write.
        QTest::keyClicks(frame->Editor(), QStringLiteral(" AS x"));
        QTRY_COMPARE(AllCopies(Root()).value(0).content.sqlText,
                     QStringLiteral("SELECT 'typed' AS x"));

        const QString path = m_dir.filePath(QStringLiteral("saved.tsl"));
        QString error;
        QVERIFY(frame->Document().Save(path, error));
        QVERIFY(AllCopies(Root()).isEmpty());

        // Modified again, the copy knows its file; closing without saving drops it.
        QTest::keyClicks(frame->Editor(), QStringLiteral(";"));
        QTRY_COMPARE(AllCopies(Root()).size(), 1);
        QCOMPARE(AllCopies(Root()).first().pathName, path);
        m_app->answers = {QMessageBox::No};
        QVERIFY(frame->parentWidget()->close());
        QVERIFY(AllCopies(Root()).isEmpty());
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Save changes to %1?").arg(path)});
    }

    void aDocumentThatLosesItsChangesLosesItsCopy()
    {
        QVERIFY(m_app->InitInstance({}));
        m_app->Recovery().SetInterval(50);
        CChildFrame* frame = m_app->MainFrame()->ActiveChild();
        frame->Document().RunDocument().m_connections << CConnectionData();
        frame->Document().SetModifiedFlag(true);
        QTRY_COMPARE(AllCopies(Root()).size(), 1);
        QCOMPARE(AllCopies(Root()).first().content.connections.size(), 1);
        frame->Document().SetModifiedFlag(false);
        QVERIFY(AllCopies(Root()).isEmpty());
        // A window closed with nothing to save leaves nothing either; the instance's folder
        // goes when it ends.
        QVERIFY(frame->parentWidget()->close());
        const QString folder = m_app->Recovery().Store()->Folder();
        m_app.reset();
        QVERIFY(!QFileInfo::exists(folder));
    }

    void restoreOpensTheCopyModifiedAndDiscardDeletesIt()
    {
        const QString path = m_dir.filePath(QStringLiteral("report.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 'on disk'")));
        SetLastDocument(path);
        LeaveCopies({Copy(QStringLiteral("document-1"), QStringLiteral("report.tsl"), path,
                          QStringLiteral("SELECT 'recovered'")),
                     Copy(QStringLiteral("document-2"), QStringLiteral("TSL4"), QString(),
                          QStringLiteral("SELECT 'scratch'"))});
        QVERIFY(m_app->InitInstance({}));
        QPointer<CDlgRecovery> offer = m_app->RecoveryOffer();
        QVERIFY(offer);
        QVERIFY(offer->isVisible());
        QCOMPARE(offer->Count(), 2);
        QCOMPARE(offer->NameText(0), QStringLiteral("report.tsl"));
        QCOMPARE(offer->DetailText(0),
                 path + QStringLiteral("\nchanged ") +
                     QDateTime::fromString(QStringLiteral("2026-05-06T07:08:09Z"), Qt::ISODate)
                         .toLocalTime()
                         .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        QCOMPARE(offer->NameText(1), QStringLiteral("TSL4"));
        QVERIFY(offer->DetailText(1).startsWith(QStringLiteral("never saved\nchanged 2026-05-")));

        // The file was open already, unchanged: its window takes the recovered text.
        offer->RestoreButton(0)->click();
        QCOMPARE(m_app->Documents().Frames().size(), 1);
        CChildFrame* restored = m_app->MainFrame()->ActiveChild();
        QCOMPARE(restored->Document().PathName(), path);
        QCOMPARE(restored->Editor()->text(), QStringLiteral("SELECT 'recovered'"));
        QCOMPARE(restored->Document().RunDocument().m_connections.size(), 1);
        QVERIFY(restored->Document().IsModified());
        QVERIFY(restored->isWindowModified());
        QVERIFY(offer->isVisible());

        offer->DiscardButton(1)->click();
        QTRY_VERIFY(!offer);
        QCOMPARE(m_app->Documents().Frames().size(), 1);
        // Only this instance's new copy of the restored document is left; the old folder went.
        const QList<CRecoveryCopy> left = AllCopies(Root());
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.first().pathName, path);
        QCOMPARE(left.first().content.sqlText, QStringLiteral("SELECT 'recovered'"));
        QCOMPARE(QDir(Root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);

        // Save writes to the document's own file.
        QVERIFY(restored->Save());
        CDocumentContent saved;
        QString error;
        QVERIFY(CDocumentFile::Load(path, saved, error));
        QCOMPARE(saved.sqlText, QStringLiteral("SELECT 'recovered'"));
        QVERIFY(AllCopies(Root()).isEmpty());
    }

    void anUntitledCopyComesBackUntitled()
    {
        LeaveCopies({Copy(QStringLiteral("document-1"), QStringLiteral("TSL1"), QString(),
                          QStringLiteral("SELECT 'scratch'"))});
        QVERIFY(m_app->InitInstance({}));
        QVERIFY(m_app->RecoveryOffer());
        m_app->RecoveryOffer()->RestoreButton(0)->click();
        const QList<CChildFrame*> frames = m_app->Documents().Frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(1)->Document().Title(), QStringLiteral("TSL2"));
        QVERIFY(frames.at(1)->Document().PathName().isEmpty());
        QCOMPARE(frames.at(1)->Editor()->text(), QStringLiteral("SELECT 'scratch'"));
        QVERIFY(frames.at(1)->Document().IsModified());
        QVERIFY(!frames.at(0)->Document().IsModified());
    }

    void copiesOfARunningInstanceOrLeftUndecidedStay()
    {
        auto running = CRecoveryOwner::Create(Root());
        QString error;
        QVERIFY(running->Store().Write(Copy(QStringLiteral("document-1"), QStringLiteral("TSL1"),
                                            QString(), QStringLiteral("SELECT 1")),
                                       error));
        LeaveCopies({Copy(QStringLiteral("document-1"), QStringLiteral("TSL9"), QString(),
                          QStringLiteral("SELECT 2"))});
        QVERIFY(m_app->InitInstance({}));
        QPointer<CDlgRecovery> offer = m_app->RecoveryOffer();
        QVERIFY(offer);
        QCOMPARE(offer->Count(), 1);
        QCOMPARE(offer->NameText(0), QStringLiteral("TSL9"));
        // Closed without a choice: offered again at the next start, by this or another instance.
        offer->reject();
        QTRY_VERIFY(!offer);
        auto next = CRecoveryOwner::ClaimLeftFolders(Root());
        QCOMPARE(next.size(), size_t(1));
        QCOMPARE(next.front()->Store().List().value(0).title, QStringLiteral("TSL9"));
        QCOMPARE(running->Store().List().size(), 1);
    }

private:
    static void SetLastDocument(const QString& path)
    {
        CRecentFileList list;
        list.Add(path);
        list.Save();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TestApp> m_app;
};

// The real program, killed while a document is modified, and started again.
class RecoveryProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void aKilledWorkbenchOffersItsDocumentAtTheNextStart()
    {
        QVERIFY(m_home.isValid());
        const QString path = m_home.filePath(QStringLiteral("query.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 'saved';"), {"Nowhere"}));
        const QString root = m_home.filePath(QStringLiteral("data/tessella/recovery"));

        // The first instance: open the file and type into it.
        QProcess first;
        Start(first, {path}, {{"TESSELLA_TEST_TYPE", "-- typed\n"}});
        const QString modified = QStringLiteral("-- typed\r\nSELECT 'saved';");
        QTRY_VERIFY_WITH_TIMEOUT(AllCopies(root).value(0).content.sqlText == modified, 30'000);
        QCOMPARE(AllCopies(root).first().pathName, path);
        const QStringList firstFolder = FoldersWithCopies(root);

        // A second instance while the first runs takes nothing of it.
        QProcess second;
        Start(second, {}, {{"TESSELLA_TEST_RECOVERY_ANSWER", "discard"}});
        QCOMPARE(ReadOffer(second), QStringList{QStringLiteral("tessella: recovery offered 0")});
        QCOMPARE(AllCopies(root).size(), 1);
        Kill(second);
        Kill(first);

        // After the kill: offered with its name and time, and restored with its file kept.
        QProcess third;
        Start(third, {}, {{"TESSELLA_TEST_RECOVERY_ANSWER", "restore"}});
        const QStringList offer = ReadOffer(third);
        QCOMPARE(offer.size(), 2);
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^tessella: recovery offer \"query\\.tsl\" %1 \\| changed "
                                    "20[0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9:]{8}$")
                         .arg(QRegularExpression::escape(path)))
                     .match(offer.at(0))
                     .hasMatch(),
                 qUtf8Printable(offer.at(0)));
        QCOMPARE(offer.at(1), QStringLiteral("tessella: recovery offered 1"));
        // The restored window is modified: the third instance keeps a copy of its own at once,
        // and the first one's folder is gone.
        QTRY_VERIFY_WITH_TIMEOUT(FoldersWithCopies(root) != firstFolder, 10'000);
        QCOMPARE(FoldersWithCopies(root).size(), 1);
        QCOMPARE(AllCopies(root).size(), 1);
        QCOMPARE(AllCopies(root).first().content.sqlText, modified);
        QCOMPARE(AllCopies(root).first().pathName, path);
        Kill(third);

        // Discarded, the copy is gone for good; the file itself was never touched.
        QProcess fourth;
        Start(fourth, {}, {{"TESSELLA_TEST_RECOVERY_ANSWER", "discard"}});
        QCOMPARE(ReadOffer(fourth).size(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(AllCopies(root).isEmpty(), 10'000);
        Kill(fourth);
        CDocumentContent onDisk;
        QString error;
        QVERIFY(CDocumentFile::Load(path, onDisk, error));
        QCOMPARE(onDisk.sqlText, QStringLiteral("SELECT 'saved';"));

        QProcess fifth;
        Start(fifth, {}, {{"TESSELLA_TEST_RECOVERY_ANSWER", "restore"}});
        QCOMPARE(ReadOffer(fifth), QStringList{QStringLiteral("tessella: recovery offered 0")});
        Kill(fifth);
    }

private:
    void Start(QProcess& process, const QStringList& arguments,
               const QList<std::pair<const char*, const char*>>& variables)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(u"config"_qs));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(u"data"_qs));
        environment.insert(QStringLiteral("TESSELLA_RECOVERY_INTERVAL_MS"), QStringLiteral("100"));
        for (const auto& [name, value] : variables) {
            environment.insert(QString::fromLatin1(name), QString::fromUtf8(value));
        }
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TESSELLA_WORKBENCH_BINARY), arguments);
        QVERIFY(process.waitForStarted(30'000));
    }

    // The offer lines up to and with the count.
    static QStringList ReadOffer(QProcess& process)
    {
        QStringList lines;
        while (lines.isEmpty() ||
               !lines.last().startsWith(QStringLiteral("tessella: recovery offered"))) {
            if (!process.canReadLine() && !process.waitForReadyRead(30'000)) {
                lines << QStringLiteral("(no more output)");
                break;
            }
            while (process.canReadLine()) {
                lines << QString::fromUtf8(process.readLine()).chopped(1);
            }
        }
        return lines;
    }

    static void Kill(QProcess& process)
    {
        process.kill(); // SIGKILL: nothing of the program's own clean-up runs
        QVERIFY(process.waitForFinished(30'000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    }

    QTemporaryDir m_home;
};

TESSELLA_GUI_TEST(RecoveryTest)
TESSELLA_GUI_TEST(RecoveryProcessTest)
#include "RecoveryTest.moc"
