// File › Export Results…: the choice of sets, the warning of cut values, Stop and the files.

#include "GuiTestRegistry.h"
#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"
#include "views/CDlgExportResults.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// `rows` rows of two values for the connection's set; the second value of row 1 cut when
// `cut`.
void AddSet(CResultStore& store, const QString& connection, int batch, int rows, bool cut = false)
{
    CPostElemArray posted(connection, rows + 1);
    posted.AddHeader(u"k\tv", batch, 0);
    odbc::ValueMarks marks;
    for (int row = 0; row < rows; ++row) {
        marks.Reset(2);
        if (cut && row == 1) {
            marks.MarkCut(1);
        }
        posted.AddRow(QStringLiteral("%1\tvalue %1").arg(row), marks);
    }
    store.Intake(posted);
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ExportDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void offersAllSetsOrOneByItsBatchAndResult()
    {
        CResultStore store;
        AddSet(store, u"A"_qs, 1, 2);
        AddSet(store, u"B"_qs, 0, 3);
        AddSet(store, u"A"_qs, 0, 1);
        AddSet(store, u"B"_qs, 1, 1);
        CDlgExportResults dialog(store);
        QComboBox* sets = dialog.SetChoice();
        QCOMPARE(sets->count(), 3);
        QCOMPARE(sets->itemText(0), u"All result sets"_qs);
        QCOMPARE(sets->itemText(1), u"Batch 1, result 1"_qs);
        QCOMPARE(sets->itemText(2), u"Batch 2, result 1"_qs);
        QCOMPARE(dialog.PickedSets(), (QList<qsizetype>{1, 2, 0, 3}));
        sets->setCurrentIndex(2);
        QCOMPARE(dialog.PickedSets(), (QList<qsizetype>{0, 3}));
    }

    void writesTheFileAndWarnsOfCutValuesFirst()
    {
        CResultStore store;
        AddSet(store, u"A"_qs, 0, 3, true);
        AddSet(store, u"B"_qs, 0, 2);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.csv"_qs);
        CDlgExportResults dialog(store);
        dialog.PathEdit()->setText(path);
        QString warning;
        bool goOn = false;
        dialog.confirmCut = [&](const QString& text) {
            warning = text;
            return goOn;
        };
        QVERIFY(!dialog.Export());
        QVERIFY2(warning.contains(u"1 value"_qs) && warning.contains(u"A: v"_qs),
                 qPrintable(warning));
        QVERIFY(!QFile::exists(path));

        goOn = true;
        QVERIFY2(dialog.Export(), qPrintable(dialog.LastError()));
        QCOMPARE(Contents(path), QByteArray("Connection,k,v\r\nA,0,value 0\r\nA,1,value 1\r\n"
                                            "A,2,value 2\r\n\r\nConnection,k,v\r\nB,0,value 0\r\n"
                                            "B,1,value 1\r\n"));
        QCOMPARE(dialog.Progress()->value(), 1000);

        dialog.FormatChoice()->setCurrentIndex(dialog.FormatChoice()->findText(u"JSON"_qs));
        dialog.FilePerConnection()->setChecked(true);
        dialog.PathEdit()->setText(dir.filePath(u"each.json"_qs));
        QVERIFY(dialog.Export());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{u"each-A.json"_qs, u"each-B.json"_qs, u"out.csv"_qs}));
        QVERIFY(Contents(dir.filePath(u"each-B.json"_qs)).contains("\"connection\":\"B\""));
    }

    void stopLeavesTheTargetAsItWas()
    {
        CResultStore store;
        AddSet(store, u"A"_qs, 0, 100000);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"big.tsv"_qs);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        CDlgExportResults dialog(store);
        dialog.FormatChoice()->setCurrentIndex(1); // TSV
        dialog.PathEdit()->setText(path);
        // Stop as soon as the window handles its events: after the first slice.
        QTimer::singleShot(0, &dialog, [&dialog] {
            QPushButton* stop = nullptr;
            for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
                if (button->text() == u"&Stop"_qs) {
                    stop = button;
                }
            }
            QVERIFY(stop && stop->isEnabled());
            stop->click();
        });
        QVERIFY(!dialog.Export());
        QVERIFY2(dialog.LastError().startsWith(u"Stopped"_qs), qPrintable(dialog.LastError()));
        QCOMPARE(Contents(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"big.tsv"_qs});
    }
};

TESSELLA_GUI_TEST(ExportDialogTest)
#include "ExportDialogTest.moc"
