// Saving, reopening and closing a document through its window.

#include "GuiTestRegistry.h"
#include "RecordingMessages.h"
#include "ScopedFileCapabilityDrop.h"
#include "ViewTestSupport.h"
#include "views/CChildFrame.h"
#include "views/CDocumentSaver.h"
#include "views/CLeftView.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class DocumentWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<RecordingApp>(); }
    void cleanup() { m_app.reset(); }

    void typingMarksTheWindowModified()
    {
        CChildFrame frame;
        frame.Document().SetTitle(QStringLiteral("TSL1"));
        QVERIFY(!frame.isWindowModified());
        QTest::keyClicks(frame.Editor(), QStringLiteral("SELECT"));
        QVERIFY(frame.Document().IsModified());
        QVERIFY(frame.isWindowModified());
        QCOMPARE(frame.windowTitle(), QStringLiteral("TSL1[*]"));
    }

    void savedDocumentOpensAgainWithItsConnectionsAndText()
    {
        const QString path = m_dir.filePath(QStringLiteral("round.tsl"));
        {
            CChildFrame frame;
            CConnectionData entry = Entry(QStringLiteral("Sales"), 0);
            entry.m_login = QStringLiteral("clerk");
            entry.m_password = QStringLiteral("secret");
            entry.m_timeOut = 12;
            frame.Document().RunDocument().m_connections << entry << Entry(QStringLiteral("Stock"));
            frame.Editor()->setText(QStringLiteral("SELECT 1 ;\r\nSELECT 'caf\u00e9'"));
            QSignalSpy saved(&frame.Document(), &CQueryDocument::saved);
            QVERIFY(frame.Document().IsModified());
            QVERIFY(CDocumentSaver(frame.Document(), &frame).DoSave(path));
            QVERIFY(!frame.Document().IsModified());
            QCOMPARE(frame.Document().Title(), QStringLiteral("round.tsl"));
            QCOMPARE(saved.size(), 1);
        }
        CChildFrame reopened;
        QString error;
        QVERIFY2(reopened.Document().Load(path, error), qPrintable(error));
        const CConnectionDataArray& connections = reopened.Document().RunDocument().m_connections;
        QCOMPARE(connections.size(), 2);
        QCOMPARE(connections.at(0).m_login, QStringLiteral("clerk"));
        QCOMPARE(connections.at(0).m_password, QStringLiteral("secret"));
        QCOMPARE(connections.at(0).m_timeOut, 12);
        QCOMPARE(connections.at(0).m_enabled, 0);
        QCOMPARE(reopened.Editor()->text(), QStringLiteral("SELECT 1 ;\r\nSELECT 'caf\u00e9'"));
        QVERIFY(!reopened.Document().IsModified());
        QVERIFY(!reopened.Editor()->isUndoAvailable());
        QCOMPARE(reopened.Document().PathName(), path);
        reopened.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reopened));
        QTRY_COMPARE(reopened.Tree()->topLevelItemCount(), 2);
    }

    void saveAsBareSqlKeepsOnlyTheText()
    {
        const QString path = m_dir.filePath(QStringLiteral("plain.sql"));
        CChildFrame frame;
        frame.Document().RunDocument().m_connections << Entry(QStringLiteral("Sales"));
        frame.Editor()->setText(QStringLiteral("SELECT 2"));
        QVERIFY(frame.Document().Save(path, m_error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("SELECT 2"));
    }

    void aFailedSaveIsReportedAndTheDocumentStaysModified()
    {
        CChildFrame frame;
        frame.Editor()->setText(QStringLiteral("SELECT 3"));
        const QString path = m_dir.filePath(QStringLiteral("no-such-folder/x.tsl"));
        QVERIFY(!CDocumentSaver(frame.Document(), &frame).DoSave(path));
        QCOMPARE(m_app->Texts(),
                 QStringList{QStringLiteral("Unable to write to %1, it is read-only or opened by "
                                            "someone else.")
                                 .arg(path)});
        QVERIFY(frame.Document().IsModified());
        QVERIFY(frame.Document().PathName().isEmpty());
    }

    void aPasswordDocumentIsSavedForItsOwnerOnly()
    {
        const QString path = m_dir.filePath(QStringLiteral("shared.tsl"));
        QVERIFY(WriteFile(path, "an older file that others could read"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther));
        CChildFrame frame;
        CConnectionData entry = Entry(QStringLiteral("Sales"));
        entry.m_password = QStringLiteral("T0psecret");
        frame.Document().RunDocument().m_connections << entry;
        frame.Editor()->setText(QStringLiteral("SELECT 7"));
        QVERIFY(CDocumentSaver(frame.Document(), &frame).DoSave(path));
        QCOMPARE(QFile::permissions(path) & kEveryPermissionBit,
                 QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(m_app->shown.isEmpty());
    }

    void aSaveIntoAReadOnlyFolderIsRefusedAndTheOldFileStays()
    {
        const QString folder = m_dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
        const QString path = folder + QStringLiteral("/kept.tsl");
        QVERIFY(WriteFile(path, "old"));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        CChildFrame frame;
        frame.Editor()->setText(QStringLiteral("SELECT 8"));
        bool saved = true;
        {
            ScopedFileCapabilityDrop asUser;
            if (!asUser.Binding()) {
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("running as root and cannot drop the file capabilities");
            }
            saved = CDocumentSaver(frame.Document(), &frame).DoSave(path);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(m_app->Texts(),
                 QStringList{QStringLiteral("Unable to write to %1, it is read-only or opened by "
                                            "someone else.")
                                 .arg(path)});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.tsl")});
        QVERIFY(frame.Document().IsModified());
    }

    void saveOfAReadOnlyFileAsksForANewNameAndKeepsTheOldFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("frozen.tsl"));
        CChildFrame frame;
        frame.Editor()->setText(QStringLiteral("SELECT 'old'"));
        QVERIFY(frame.Document().Save(path, m_error));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray oldBytes = old.readAll();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        frame.Editor()->setText(QStringLiteral("SELECT 'new'"));
        frame.show();

        QString suggested;
        bool saved = false;
        {
            ScopedFileCapabilityDrop asUser;
            if (!asUser.Binding()) {
                QSKIP("running as root and cannot drop the file capabilities");
            }
            QTimer::singleShot(0, this, [this, &suggested] {
                AnswerSaveDialog(QStringLiteral("thawed"), suggested);
            });
            saved = CDocumentSaver(frame.Document(), &frame).DoFileSave();
        }
        QVERIFY(saved);
        QCOMPARE(suggested, QStringLiteral("frozen.tsl"));
        QVERIFY(m_app->shown.isEmpty());
        const QString renamed = m_dir.filePath(QStringLiteral("thawed.tsl"));
        QCOMPARE(frame.Document().PathName(), renamed);
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), oldBytes);
        CChildFrame reopened;
        QVERIFY(reopened.Document().Load(renamed, m_error));
        QCOMPARE(reopened.Editor()->text(), QStringLiteral("SELECT 'new'"));
    }

    void aBrokenDocumentDoesNotLoad()
    {
        const QString path = m_dir.filePath(QStringLiteral("broken.tsl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SELECT 1");
        file.close();
        CChildFrame frame;
        QVERIFY(!frame.Document().Load(path, m_error));
        QCOMPARE(m_error, QStringLiteral("Unexpected file format."));
        QVERIFY(frame.Document().RunDocument().m_connections.isEmpty());
    }

    void closingAModifiedDocumentAsksFirst()
    {
        CChildFrame frame;
        frame.Document().SetTitle(QStringLiteral("TSL4"));
        frame.Editor()->setText(QStringLiteral("SELECT 4"));
        frame.show();

        m_app->answers = {QMessageBox::Cancel};
        QVERIFY(!frame.close());
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Save changes to TSL4?")});
        QCOMPARE(m_app->shown.at(0).style, CSuperApp::MessageStyle::YesNoCancel);
        QVERIFY(frame.isVisible());

        m_app->answers = {QMessageBox::No};
        QVERIFY(frame.close());
        QVERIFY(frame.Document().IsModified());
    }

    void answeringYesSavesUnderTheChosenName()
    {
        CChildFrame frame;
        frame.Document().SetTitle(QStringLiteral("TSL5"));
        frame.Editor()->setText(QStringLiteral("SELECT 5"));
        frame.show();
        m_app->answers = {QMessageBox::Yes};
        QString suggested;
        QTimer::singleShot(
            0, this, [this, &suggested] { AnswerSaveDialog(QStringLiteral("chosen"), suggested); });
        QVERIFY(frame.close());
        QCOMPARE(suggested, QStringLiteral("TSL5.tsl"));
        const QString path = m_dir.filePath(QStringLiteral("chosen.tsl"));
        QVERIFY(QFile::exists(path));
        QCOMPARE(frame.Document().PathName(), path);
        QVERIFY(!frame.Document().IsModified());
    }

    void aSavedDocumentClosesWithoutAQuestion()
    {
        CChildFrame frame;
        frame.Editor()->setText(QStringLiteral("SELECT 6"));
        QVERIFY(frame.Document().Save(m_dir.filePath(QStringLiteral("six.tsl")), m_error));
        frame.show();
        QVERIFY(frame.close());
        QVERIFY(m_app->shown.isEmpty());
    }

    void anOpenedFileSavesBackItsOwnBytes()
    {
        const QByteArray bom = QByteArray::fromHex("efbbbf");
        const QByteArray files[] = {
            "SELECT length('a\nb'), 'caf\xc3\xa9';\n",
            bom + "SELECT '\xe9\xff' \xc3\r\n",
            QByteArray::fromHex("53 0a 00 81 8d 8f 90 9d e9 0d 0a"),
            "a\rb\r\nc\n",
        };
        const QString path = m_dir.filePath(QStringLiteral("bytes.sql"));
        for (const QByteArray& bytes : files) {
            QVERIFY(WriteFile(path, bytes));
            CChildFrame frame;
            QVERIFY2(frame.Document().Load(path, m_error), qPrintable(m_error));
            QVERIFY(frame.Document().Save(path, m_error));
            QCOMPARE(ReadFile(path).toHex(' '), bytes.toHex(' '));
        }
    }

    // The editor holds a file's line ends as stored, gives added lines the file's own, and the
    // run takes the text as the file has it: a literal over two lines keeps its CR LF.
    void addedLinesTakeTheFileLineEnd()
    {
        struct Case
        {
            const char* name;
            QByteArray bytes;
            QByteArray saved;
        };
        const Case cases[] = {
            {"crlf.sql", "SELECT 'a\r\nb'", "SELECT 'a\r\nb'\r\nGO"},
            {"lf.sql", "SELECT 'a\nb'", "SELECT 'a\nb'\nGO"},
            {"old.tsl", QByteArray(4, '\0') + "SELECT 'a\r\nb'",
             QByteArray(4, '\0') + "SELECT 'a\r\nb'\r\nGO"},
            {"new.sql", {}, "\nGO"},
        };
        for (const Case& c : cases) {
            const QString path = m_dir.filePath(QString::fromLatin1(c.name));
            CChildFrame frame;
            if (!c.bytes.isNull()) {
                QVERIFY(WriteFile(path, c.bytes));
                QVERIFY2(frame.Document().Load(path, m_error), qPrintable(m_error));
                QCOMPARE(frame.Editor()->TakeRunText().toUtf8(), c.bytes.mid(c.bytes.indexOf('S')));
            }
            frame.Editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
            QTest::keyClick(frame.Editor(), Qt::Key_Return);
            QTest::keyClicks(frame.Editor(), QStringLiteral("GO"));
            QVERIFY(frame.Document().Save(path, m_error));
            QCOMPARE(ReadFile(path), c.saved);
        }
    }

private:
    static constexpr QFile::Permissions kEveryPermissionBit =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
        QFile::ExeOther;

    static bool WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // Reads the name the save dialog suggests, then saves under `typed` in the test folder.
    void AnswerSaveDialog(const QString& typed, QString& suggested)
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, this,
                               [this, typed, &suggested] { AnswerSaveDialog(typed, suggested); });
            return;
        }
        suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        dialog->setDirectory(m_dir.path());
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
    }

    QTemporaryDir m_dir;
    QString m_error;
    std::unique_ptr<RecordingApp> m_app;
};

TESSELLA_GUI_TEST(DocumentWindowTest)
#include "DocumentWindowTest.moc"
