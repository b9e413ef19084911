// The About box, the placeholder results pane and printing.

#include "CAboutDlg.h"
#include "CPostElemArray.h"
#include "CRegisteredEvents.h"
#include "CResultsModel.h"
#include "CResultsView.h"
#include "CSqlPrinter.h"
#include "CTessellaDoc.h"
#include "CTessellaView.h"
#include "GuiTestRegistry.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class AboutBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void versionTextHasFourPartsAndTheBuild()
    {
        QCOMPARE(CAboutDlg::VersionText(QStringLiteral("1.0.0.5")),
                 QStringLiteral("1.0.0.5 Unicode-64bit"));
        QCOMPARE(CAboutDlg::VersionText(QStringLiteral("2.3")),
                 QStringLiteral("2.3.0.0 Unicode-64bit"));
        // Each part is a 16-bit number.
        QCOMPARE(CAboutDlg::VersionText(QStringLiteral("1.70000.0.1")),
                 QStringLiteral("1.0.0.1 Unicode-64bit"));
    }

    void theBoxShowsThisBuildsVersion()
    {
        CAboutDlg box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Tessella"));
        QVERIFY(box.VersionBox()->isReadOnly());
        QCOMPARE(box.VersionBox()->text(),
                 CAboutDlg::VersionText(QStringLiteral(TESSELLA_VERSION)));
        QStringList labels;
        for (QLabel* label : box.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY(labels.contains(QStringLiteral("Tessella for ODBC:")));
    }
};

class ResultsPaneTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_document = std::make_unique<CTessellaDoc>();
        m_view = std::make_unique<CResultsView>(*m_document);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_view->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_view.reset();
        m_document.reset();
    }

    void tabsAreAtTheBottom()
    {
        QCOMPARE(m_view->Tabs()->count(), 2);
        QCOMPARE(m_view->Tabs()->tabText(0), QStringLiteral("All Results"));
        QCOMPARE(m_view->Tabs()->tabText(1), QStringLiteral("Connections"));
        QCOMPARE(m_view->Tabs()->tabPosition(), QTabWidget::South);
        QCOMPARE(m_document->ResultsWindow(), m_view.get());
    }

    void postedBatchesBecomeRowsGroupedByConnection()
    {
        Post(QStringLiteral("one"), {"a\tb", "1\t2"});
        Post(QStringLiteral("two"), {"x"});
        Post(QStringLiteral("one"), {"3\t4\t5"});
        const CResultsModel& model = *m_view->Model();
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.columnCount(), 3);
        const QStringList expected = {"one", "a", "1", "3", "two", "x"};
        QCOMPARE(Column(0), expected);
        QCOMPARE(model.index(3, 2).data().toString(), QStringLiteral("5"));
        QCOMPARE(model.index(2, 2).data().toString(), QString());
        QCOMPARE(model.index(0, 0).data(Qt::UserRole).toInt(), 0); // the title row
    }

    void aNewRunEmptiesTheListAndShowsAllResults()
    {
        Post(QStringLiteral("one"), {"a"});
        m_view->Tabs()->setCurrentIndex(1);
        emit m_document->runStarting();
        QCOMPARE(m_view->Model()->rowCount(), 0);
        QCOMPARE(m_view->Tabs()->currentIndex(), 0);
    }

private:
    void Post(const QString& connection, const QList<const char*>& lines)
    {
        CPostElemArray batch(connection, 10);
        for (const char* line : lines) {
            batch.Add(3, QString::fromUtf8(line));
        }
        CArrayPostEvent event(&batch);
        QCoreApplication::sendEvent(m_view.get(), &event);
        QCOMPARE(batch.m_handled.load(), 1);
    }

    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_view->Model()->rowCount(); ++row) {
            texts << m_view->Model()->index(row, column).data().toString();
        }
        return texts;
    }

    std::unique_ptr<CTessellaDoc> m_document;
    std::unique_ptr<CResultsView> m_view;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

class PrintTest : public QObject
{
    Q_OBJECT

private slots:
    void marginsAreHalfAnInch()
    {
        CSqlPrinter printer;
        const QMarginsF margins = printer.Printer().pageLayout().margins(QPageLayout::Inch);
        QCOMPARE(margins, QMarginsF(0.5, 0.5, 0.5, 0.5));
    }

    void theTextPrintsToAFile()
    {
        QTemporaryDir dir;
        CTessellaView editor;
        QStringList lines;
        for (int i = 0; i < 200; ++i) {
            lines << QStringLiteral("SELECT %1 FROM somewhere ;").arg(i);
        }
        editor.setText(lines.join(QStringLiteral("\r\n")));
        CSqlPrinter printer;
        const QString path = dir.filePath(QStringLiteral("sql.pdf"));
        printer.Printer().setOutputFormat(QPrinter::PdfFormat);
        printer.Printer().setOutputFileName(path);
        QVERIFY(CSqlPrinter::PrintText(printer.Printer(), editor));
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        // 200 lines do not fit on one page.
        QVERIFY(bytes.count("/Type /Page") - bytes.count("/Type /Pages") >= 2);
    }
};

TESSELLA_GUI_TEST(AboutBoxTest)
TESSELLA_GUI_TEST(ResultsPaneTest)
TESSELLA_GUI_TEST(PrintTest)
#include "SmallPartsTest.moc"
