// The password question at Run for entries with a login and no password, and the notice of a
// missing keyring when a document is saved (the tests run without a Secret Service).

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "RecordingMessages.h"
#include "ViewTestSupport.h"
#include "document/CDocumentFile.h"
#include "execution/CQueryThread.h"
#include "views/CChildFrame.h"
#include "views/CDlgPassword.h"
#include "views/CDocumentSaver.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

CConnectionData WithLogin(const QString& dsn, const QString& login, const QString& password = {})
{
    CConnectionData entry = Entry(dsn);
    entry.m_login = login;
    entry.m_password = password;
    entry.m_savePassword = 0;
    return entry;
}

} // namespace

class PasswordPromptTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_app = std::make_unique<RecordingApp>();
        m_first = std::make_unique<SqliteDataSource>();
        m_second = std::make_unique<SqliteDataSource>();
        m_frame = std::make_unique<CChildFrame>();
        m_frame->Editor()->setText(u"SELECT 1"_qs);
        m_asked.clear();
    }

    void cleanup()
    {
        RunDocument().StopRun(1);
        m_frame.reset();
        m_first.reset();
        m_second.reset();
        m_app.reset();
    }

    void dialogTakesTheTypedPasswordMaskedAndTheRememberChoice()
    {
        CDlgPassword dialog(u"Sales <b>"_qs, u"alice"_qs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto* question = dialog.findChild<QLabel*>(QStringLiteral("question"));
        QCOMPARE(question->text(), u"The connection to Sales <b> needs the password of alice."_qs);
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("password"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, u"s3cr;t"_qs);
        QVERIFY(!dialog.Remember());
        dialog.findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);
        QCOMPARE(dialog.Password(), u"s3cr;t"_qs);
        QVERIFY(dialog.Remember());
    }

    void runAsksOncePerLoginWithoutAPasswordAndRemembersWhenTold()
    {
        RunDocument().m_connections = {WithLogin(m_first->Name(), u"alice"_qs),
                                       WithLogin(m_second->Name(), u"bob"_qs, u"own"_qs),
                                       Entry(m_second->Name()),
                                       WithLogin(m_first->Name(), u"carol"_qs)};
        RunDocument().m_connections[3].m_enabled = 0;
        Answer(u"typed-A"_qs, true);
        m_frame->OnRun();
        QCOMPARE(m_asked, QStringList{m_first->Name() + u" alice"_qs});
        QVERIFY(WaitForIdle(RunDocument()));
        QCOMPARE(ThreadPasswords(), (QStringList{u"typed-A"_qs, u"own"_qs, QString()}));
        // What was typed stays out of the document and so out of its file.
        QCOMPARE(RunDocument().m_connections[0].m_password, QString());

        m_asked.clear();
        m_frame->OnRun();
        QCOMPARE(m_asked, QStringList());
        QVERIFY(WaitForIdle(RunDocument()));
        QCOMPARE(ThreadPasswords().value(0), u"typed-A"_qs);
    }

    void withoutRememberTheNextRunAsksAgainAndCancelStartsNothing()
    {
        RunDocument().m_connections = {WithLogin(m_first->Name(), u"dave"_qs)};
        Answer(u"once"_qs, false);
        m_frame->OnRun();
        QVERIFY(WaitForIdle(RunDocument()));
        QCOMPARE(ThreadPasswords(), QStringList{u"once"_qs});
        const qsizetype rows = RunDocument().Results().Count();
        QVERIFY(rows > 0);

        m_asked.clear();
        m_frame->PasswordPrompter().SetAsker([this](CDlgPassword&) {
            m_asked << u"cancelled"_qs;
            return false;
        });
        m_frame->OnRun();
        QCOMPARE(m_asked, QStringList{u"cancelled"_qs});
        QVERIFY(RunDocument().IsIdle());
        // The last run's results are still there: no run began.
        QCOMPARE(RunDocument().Results().Count(), rows);
    }

    void savingWithoutAKeyringSaysSoOnceAndKeepsThePasswordInTheFile()
    {
        QTemporaryDir folder;
        CConnectionData entry = WithLogin(m_first->Name(), u"erin"_qs, u"Kept-In-File"_qs);
        entry.m_savePassword = 1;
        RunDocument().m_connections = {entry};
        CDocumentSaver saver(m_frame->Document(), m_frame.get());
        QVERIFY(saver.DoSave(folder.filePath(u"a.tsl"_qs)));
        QVERIFY(saver.DoSave(folder.filePath(u"b.tsl"_qs)));
        QCOMPARE(m_app->Texts().size(), 1);
        QVERIFY2(m_app->Texts().first().startsWith(u"No desktop keyring"_qs),
                 qPrintable(m_app->Texts().first()));
        CDocumentContent loaded;
        QString error;
        QVERIFY(CDocumentFile::Load(folder.filePath(u"b.tsl"_qs), loaded, error));
        QCOMPARE(loaded.connections.value(0).m_password, u"Kept-In-File"_qs);
    }

private:
    CTessellaDoc& RunDocument() { return m_frame->Document().RunDocument(); }

    void Answer(const QString& password, bool remember)
    {
        m_frame->PasswordPrompter().SetAsker([this, password, remember](CDlgPassword& dialog) {
            const QString question = dialog.findChild<QLabel*>(QStringLiteral("question"))->text();
            // "The connection to DSN needs the password of LOGIN."
            m_asked << question.section(u' ', 3, 3) + u' ' + question.section(u' ', -1).chopped(1);
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("password")), password);
            dialog.findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(remember);
            return true;
        });
    }

    // The password each query thread of the last run connected with.
    QStringList ThreadPasswords() const
    {
        QStringList passwords;
        for (const auto& thread : m_frame->Document().RunDocument().QueryThreads()) {
            passwords << thread->Entry().m_password;
        }
        return passwords;
    }

    std::unique_ptr<RecordingApp> m_app;
    std::unique_ptr<SqliteDataSource> m_first;
    std::unique_ptr<SqliteDataSource> m_second;
    std::unique_ptr<CChildFrame> m_frame;
    QStringList m_asked;
};

TESSELLA_GUI_TEST(PasswordPromptTest)

#include "PasswordPromptTest.moc"
