// The application base: message strings and their fallback texts, ODBC error texts, the regional
// settings.

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "RecordingMessages.h"
#include "appbase/CMessageStrings.h"
#include "appbase/CSuperApp.h"
#include "odbc/CODBCObject.h"

#include <QLocale>
#include <QTest>

class SuperAppTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<RecordingApp>(); }
    void cleanup() { m_app.reset(); }

    void missingStringsShowTheFallbackWithTheNumber_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("expected");
        QTest::newRow("error") << int(CSuperApp::MessageStyle::Error)
                               << QStringLiteral("Kan message niet laden. Message nummer:3114");
        QTest::newRow("information")
            << int(CSuperApp::MessageStyle::Information)
            << QStringLiteral("Kan message niet laden. Message nummer:3114");
        QTest::newRow("yes/no") << int(CSuperApp::MessageStyle::YesNo)
                                << QStringLiteral(
                                       "Kan (Yes/No) message niet laden. Message nummer:3114");
        QTest::newRow("yes/no/cancel")
            << int(CSuperApp::MessageStyle::YesNoCancel)
            << QStringLiteral("Kan (Yes/No/Cancel) message niet laden. Message nummer:3114");
    }

    void missingStringsShowTheFallbackWithTheNumber()
    {
        QFETCH(int, style);
        QFETCH(QString, expected);
        QString unused;
        QVERIFY(!m_app->LoadString(3114, unused));
        const auto messageStyle = static_cast<CSuperApp::MessageStyle>(style);
        switch (messageStyle) {
        case CSuperApp::MessageStyle::Error:
            m_app->ShowError(3114);
            break;
        case CSuperApp::MessageStyle::Information:
            m_app->ShowInformation(3114);
            break;
        case CSuperApp::MessageStyle::YesNo:
            m_app->AskYesNo(3114);
            break;
        case CSuperApp::MessageStyle::YesNoCancel:
            m_app->AskYesNoCancel(3114);
            break;
        }
        QCOMPARE(m_app->shown.size(), 1);
        QCOMPARE(m_app->shown.at(0).text, expected);
        QCOMPARE(m_app->shown.at(0).style, messageStyle);
    }

    void knownStringsAreShownAndAnswersComeBack()
    {
        m_app->answers = {QMessageBox::No};
        QCOMPARE(m_app->AskYesNo(MsgUnexpectedFormat), QMessageBox::No);
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Unexpected file format.")});
        QCOMPARE(m_app->ApplicationName(), QStringLiteral("Tessella"));
        QCOMPARE(CMessageStrings::Text(MsgIdleText),
                 QStringLiteral("You can copy result pane, see edit menu."));
    }

    void odbcTextsLoseTheirBracketedPrefixes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("three prefixes")
            << QStringLiteral("[unixODBC][Driver Manager][SQLite]no such table: x")
            << QStringLiteral("no such table: x");
        QTest::newRow("no bracket") << QStringLiteral("plain text") << QStringLiteral("plain text");
        QTest::newRow("ends with a bracket") << QStringLiteral("[a][b]") << QString();
        QTest::newRow("bracket inside the message")
            << QStringLiteral("[x]see [note] here") << QStringLiteral(" here");
    }

    void odbcTextsLoseTheirBracketedPrefixes()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        m_app->ReportOdbcErrorText(text);
        QCOMPARE(m_app->Texts(), QStringList{shown});
        QCOMPARE(m_app->shown.at(0).style, CSuperApp::MessageStyle::Error);
    }

    void anOdbcObjectsErrorIsShownCut()
    {
        SqliteDataSource source;
        CODBCObject object;
        QVERIFY(object.ConnectNoPrompt(source.Name(), {}, {}));
        m_app->ReportOdbcError(object); // no error yet: nothing shown
        QVERIFY(m_app->shown.isEmpty());
        QVERIFY(!object.ExecuteSql(QStringLiteral("SELECT * FROM no_such_table")));
        m_app->ReportOdbcError(object);
        QCOMPARE(m_app->shown.size(), 1);
        // The driver's "[unixODBC][SQLite]"-style prefixes are gone, the message is there.
        QVERIFY2(m_app->shown.at(0).text.startsWith(QStringLiteral("no such table")),
                 qPrintable(m_app->shown.at(0).text));
        object.Disconnect();
    }

    void connectErrorsTheOdbcLayerShowsComeHere()
    {
        CODBCObject object;
        QVERIFY(
            !object.ConnectNoPrompt(QStringLiteral("NoSuchSourceAnywhere"), {}, {}, {}, 5, true));
        QCOMPARE(m_app->shown.size(), 1);
        QVERIFY(!m_app->shown.at(0).text.contains(QLatin1Char(']')));
    }

    void regionalSettingsComeFromTheLocale()
    {
        QCOMPARE(m_app->DecimalSeparator().size(), 1);
        QCOMPARE(m_app->DecimalSeparator(), QLocale::system().decimalPoint().left(1));
        QCOMPARE(m_app->DateFormat(), QLocale::system().dateFormat(QLocale::ShortFormat));
        QVERIFY(m_app->DateTimeFormat().startsWith(m_app->DateFormat() + QLatin1Char(' ')));
        QVERIFY(!m_app->DateTimeFormat().contains(QStringLiteral("mm")));
        if (m_app->TimeFormat().contains(QStringLiteral("mm"))) {
            QVERIFY(m_app->DateTimeFormat().contains(QStringLiteral("NN")));
        }
    }

    void theInstanceIsTheLiveApplication()
    {
        QCOMPARE(CSuperApp::Instance(), m_app.get());
        m_app.reset();
        QCOMPARE(CSuperApp::Instance(), nullptr);
    }

private:
    std::unique_ptr<RecordingApp> m_app;
};

TESSELLA_GUI_TEST(SuperAppTest)
#include "SuperAppTest.moc"
