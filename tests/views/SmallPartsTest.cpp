// The About box and printing.

#include "GuiTestRegistry.h"
#include "execution/CTessellaDoc.h"
#include "views/CAboutDlg.h"
#include "views/CSqlPrinter.h"
#include "views/CTessellaView.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
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
TESSELLA_GUI_TEST(PrintTest)
#include "SmallPartsTest.moc"
