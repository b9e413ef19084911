// The start-up probe: it answers the first paint of a document window, once, and the workbench
// launched with TESSELLA_EXIT_WHEN_SHOWN reports its last document and quits by itself.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "app/CStartupProbe.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class StartupProbeTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheFirstPaintOfADocumentWindowIsAnnounced()
    {
        const CStartupProbe::Clock::time_point started = CStartupProbe::Clock::now();
        CStartupProbe probe(started);
        QSignalSpy shown(&probe, &CStartupProbe::documentShown);

        // Another window paints unnoticed.
        QWidget other;
        other.resize(200, 100);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::qWait(100);
        QCOMPARE(shown.count(), 0);

        CChildFrame frame;
        frame.Document().SetTitle(QStringLiteral("probe.tsl"));
        frame.resize(600, 400);
        frame.show();
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), QStringLiteral("probe.tsl"));
        // Counted from the start it was given, which lies before the wait above.
        QVERIFY(shown.at(0).at(1).toDouble() >= 100.0);
        const qint64 nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 CStartupProbe::Clock::now().time_since_epoch())
                                 .count();
        QVERIFY(shown.at(0).at(2).toLongLong() <= nowNs);

        frame.update();
        other.update();
        QTest::qWait(100);
        QCOMPARE(shown.count(), 1);
    }

    void theWorkbenchReportsItsLastDocumentAndQuits()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("last.tsl"));
        QVERIFY(WriteDocument(path, QStringLiteral("SELECT 1"), {"Nowhere"}));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TESSELLA_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(u"config"_qs));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        // Named once, then opened again as the last document.
        for (const QStringList& arguments : {QStringList{path}, QStringList{}}) {
            QProcess workbench;
            workbench.setProcessEnvironment(environment);
            workbench.start(QStringLiteral(TESSELLA_WORKBENCH_BINARY), arguments);
            QVERIFY(workbench.waitForFinished(60'000));
            QCOMPARE(workbench.exitStatus(), QProcess::NormalExit);
            QCOMPARE(workbench.exitCode(), 0);
            const QString output = QString::fromUtf8(workbench.readAllStandardOutput());
            const QRegularExpression line(QStringLiteral(
                "^tessella: document window \"last\\.tsl\" shown [0-9]+\\.[0-9] ms after "
                "main\\(\\); steady clock [0-9]+ ns\\n$"));
            QVERIFY2(line.match(output).hasMatch(), qUtf8Printable(output));
        }
    }

    void init() { ClearSettings(); }
};

TESSELLA_GUI_TEST(StartupProbeTest)
#include "StartupProbeTest.moc"
