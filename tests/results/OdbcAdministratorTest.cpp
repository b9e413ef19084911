#include "GuiTestRegistry.h"
#include "execution/CTessellaDoc.h"
#include "results/CConnectionPage.h"
#include "results/CDataSourceEditor.h"
#include "results/COdbcAdministrator.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

namespace {

const QString kMessageStart = QStringLiteral("No ODBC administrator program could be started (");

// A page whose PATH search is replaced and whose own data source editor, where it opens, is
// recorded by the note it shows.
struct AdministratorFixture
{
    explicit AdministratorFixture(std::function<QString(const QString&)> finder)
    {
        page.SetEditorHook([this](CDataSourceEditor& editor) {
            messages << editor.findChild<QLabel*>(QStringLiteral("note"))->text();
        });
        page.Administrator().SetProgramFinder([this, finder](const QString& program) {
            asked << program;
            return finder(program);
        });
    }

    void ClickAdministrator()
    {
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("administrator")),
                          Qt::LeftButton);
    }

    CTessellaDoc document;
    CConnectionPage page{document, nullptr};
    QStringList messages;
    QStringList asked;
};

} // namespace

class OdbcAdministratorTest : public QObject
{
    Q_OBJECT

private slots:
    void failureTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0
                           << QStringLiteral("The operating system is out\nof memory or "
                                             "resources.");
        QTest::newRow("2") << 2 << QStringLiteral("The specified file was not found.");
        QTest::newRow("11") << 11
                            << QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error "
                                              "in .EXE image).");
        QTest::newRow("26") << 26 << QStringLiteral("A sharing violation occurred. ");
        QTest::newRow("30") << 30
                            << QStringLiteral("The DDE transaction could not\nbe completed because "
                                              "other DDE transactions\nwere being processed.");
        QTest::newRow("32") << 32
                            << QStringLiteral("The specified dynamic-link library was not found.");
        QTest::newRow("1") << 1 << QStringLiteral("Unknown Error (1) occurred.");
        QTest::newRow("33") << 33 << QStringLiteral("Unknown Error (33) occurred.");
        QTest::newRow("-5") << -5 << QStringLiteral("Unknown Error (-5) occurred.");
    }
    void failureTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(AdministratorFailureText(code), text);
    }

    void noInstalledProgramShowsTheMissingFileMessage()
    {
        AdministratorFixture fixture([](const QString&) { return QString(); });
        CConnectionData shown;
        shown.m_dataSource = QStringLiteral("Orders");
        fixture.page.WriteRecord(shown);
        fixture.ClickAdministrator();
        QCOMPARE(fixture.messages.size(), 1);
        QVERIFY2(fixture.messages.first().startsWith(kMessageStart +
                                                     "The specified file was not found.)."),
                 qPrintable(fixture.messages.first()));
        QCOMPARE(fixture.asked, COdbcAdministrator::Candidates());
        CConnectionData read;
        QVERIFY(fixture.page.ReadRecord(read));
        QCOMPARE(read, shown);
    }

    void programThatCannotStartShowsThePlatformReason()
    {
        QTemporaryFile notAProgram;
        QVERIFY(notAProgram.open());
        notAProgram.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        const QString path = notAProgram.fileName();
        AdministratorFixture fixture([path](const QString&) { return path; });
        fixture.ClickAdministrator();
        QCOMPARE(fixture.messages.size(), 1);
        const QString message = fixture.messages.first();
        QVERIFY2(message.startsWith(kMessageStart), qPrintable(message));
        QVERIFY2(!message.startsWith(kMessageStart + ")"), qPrintable(message));
        QVERIFY(!message.contains(AdministratorFailureText(COdbcAdministrator::kFileNotFound)));
        // Every candidate was tried before giving up.
        QCOMPARE(fixture.asked, COdbcAdministrator::Candidates());
    }

    void firstProgramThatStartsIsUsed()
    {
        const QString harmless = QStandardPaths::findExecutable(QStringLiteral("true"));
        QVERIFY(!harmless.isEmpty());
        const QStringList candidates = COdbcAdministrator::Candidates();
        QVERIFY(candidates.size() >= 2);
        AdministratorFixture fixture([&](const QString& program) {
            return program == candidates.at(1) ? harmless : QString();
        });
        fixture.ClickAdministrator();
        QCOMPARE(fixture.messages, QStringList());
        QCOMPARE(fixture.asked, candidates.mid(0, 2));
    }
};

TESSELLA_GUI_TEST(OdbcAdministratorTest)

#include "OdbcAdministratorTest.moc"
