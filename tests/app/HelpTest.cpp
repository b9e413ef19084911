// The user guide: F1 opens it at its contents, Shift+F1 at the page of the focused pane, every
// link between its pages leads to a page that is there, and each page explains what it names.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "app/CHelpCommands.h"
#include "app/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "results/CResultsView.h"
#include "views/CChildFrame.h"

#include <QFile>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

class HelpTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ClearSettings();
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }

    void cleanup() { m_app.reset(); }

    void f1OpensTheContents()
    {
        QVERIFY(!Frame()->Help().Window());
        QTest::keyClick(Frame(), Qt::Key_F1);
        CHelpWindow* help = Frame()->Help().Window();
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QCOMPARE(help->CurrentPage(), u"index"_qs);
        QVERIFY(help->Browser()->toPlainText().contains(u"Tessella user guide"_qs));
    }

    void contextHelpOpensThePageOfTheFocusedPane()
    {
        CChildFrame* child = Frame()->ActiveChild();
        QVERIFY(child);
        CResultsView* results = child->Results();
        results->Tabs()->setCurrentIndex(1);
        results->Tabs()->currentWidget()->setFocus();
        QTRY_VERIFY(results->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(Frame()->Help().ContextPage(), u"connections"_qs);
        Frame()->Action(Command::ContextHelp)->trigger();
        QCOMPARE(Frame()->Help().Window()->CurrentPage(), u"connections"_qs);
        QVERIFY(Frame()->Help().Window()->Browser()->toPlainText().contains(u"Save password"_qs));
    }

    void everyLinkLeadsToAPageAndBackReturns()
    {
        Frame()->Help().ShowTopics();
        CHelpWindow* help = Frame()->Help().Window();
        QTextBrowser* browser = help->Browser();
        const QRegularExpression link(u"href=\"([^\"#]+)\""_qs);
        QStringList visited;
        for (const QString& page : CHelpWindow::Pages()) {
            QFile file(u":/help/%1.html"_qs.arg(page));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto match = link.globalMatch(html); match.hasNext();) {
                const QString target = match.next().captured(1);
                if (target.startsWith(u"http"_qs)) {
                    continue;
                }
                help->ShowPage(page);
                // As a click on the link does.
                browser->setSource(browser->source().resolved(QUrl(target)));
                QVERIFY2(!browser->toPlainText().trimmed().isEmpty(),
                         qPrintable(page + u" -> "_qs + target));
                QCOMPARE(help->CurrentPage() + u".html"_qs, target);
                browser->backward();
                QCOMPARE(help->CurrentPage(), page);
                visited << target;
            }
        }
        // Every page is reached from another.
        for (const QString& page : CHelpWindow::Pages()) {
            QVERIFY2(visited.contains(page + u".html"_qs), qPrintable(page));
        }
    }

    void theEditorTheOptionsAndTheRunnerAreExplained()
    {
        Frame()->Help().ShowTopics();
        const auto text = [this](const QString& page) {
            Frame()->Help().Window()->ShowPage(page);
            return Frame()->Help().Window()->Browser()->toPlainText();
        };
        const QString sources = text(u"data-sources"_qs);
        for (const char* word :
             {"Add...", "Edit...", "Remove", "Test", "StepAPI", "Servername", "UseDeclareFetch"}) {
            QVERIFY2(sources.contains(QLatin1String(word)), word);
        }
        const QString options = text(u"options"_qs);
        for (const char* word :
             {"Batch separator:", "Use batch separator", "Ignore info messages",
              "Reconnect every run", "Result memory limit (MB)", "Connections at once"}) {
            QVERIFY2(options.contains(QLatin1String(word)), word);
        }
        QVERIFY(text(u"runner"_qs).contains(u"--password -"_qs));
        QVERIFY(text(u"passwords"_qs).contains(u"Remember for this session"_qs));
    }

private:
    CMainFrame* Frame() const { return m_app->MainFrame(); }

    std::unique_ptr<TestApp> m_app;
};

TESSELLA_GUI_TEST(HelpTest)

#include "HelpTest.moc"
