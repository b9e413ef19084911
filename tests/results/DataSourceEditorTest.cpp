// The data source editor behind "..." on the Connections page, against the tests' private ODBC
// configuration: what it writes the driver manager connects with, and the page sees it.

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "execution/CTessellaDoc.h"
#include "odbc/OdbcInstaller.h"
#include "results/CConnectionPage.h"
#include "results/CDataSourceCombo.h"
#include "results/CDataSourceEditor.h"
#include "results/CDataSourceForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString UniqueName(const QString& prefix)
{
    static int count = 0;
    return prefix + QString::number(++count);
}

// The keys the form shows, as "Key=Value" lines.
QStringList Lines(const CDataSourceForm& form)
{
    const auto* table = form.findChild<QTableWidget*>(QStringLiteral("keys"));
    QStringList lines;
    for (int row = 0; row < table->rowCount(); ++row) {
        lines << table->item(row, 0)->text() + u'=' + table->item(row, 1)->text();
    }
    return lines;
}

void SetValue(CDataSourceForm& form, const QString& key, const QString& value)
{
    auto* table = form.findChild<QTableWidget*>(QStringLiteral("keys"));
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 0)->text() == key) {
            table->item(row, 1)->setText(value);
            return;
        }
    }
    QFAIL(qPrintable(u"no line "_qs + key));
}

QString Answer(const CDataSourceEditor& editor)
{
    return editor.findChild<QPlainTextEdit*>(QStringLiteral("answer"))->toPlainText();
}

} // namespace

class DataSourceEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void eachKnownDriverOffersItsKeys()
    {
        CDataSourceForm form(odbc::InstalledDrivers());
        auto* driver = form.findChild<QComboBox*>(QStringLiteral("driver"));
        driver->setCurrentText(u"SQLite3"_qs);
        QCOMPARE(Lines(form), (QStringList{u"Database="_qs, u"StepAPI="_qs}));
        // A value typed stays when the driver changes; the other driver's empty lines go.
        SetValue(form, u"Database"_qs, u"shop"_qs);
        driver->setCurrentText(u"PostgreSQL Unicode"_qs);
        QCOMPARE(Lines(form), (QStringList{u"Servername="_qs, u"Port="_qs, u"Database=shop"_qs,
                                           u"UseDeclareFetch="_qs}));
        SetValue(form, u"UseDeclareFetch"_qs, u"1"_qs);
        driver->setCurrentText(u"MariaDB Unicode"_qs);
        QCOMPARE(Lines(form), (QStringList{u"Server="_qs, u"Port="_qs, u"Database=shop"_qs,
                                           u"UseDeclareFetch=1"_qs}));
        QCOMPARE(CDataSourceForm::KnownKeys(u"Acme ODBC"_qs, u"/usr/lib/libacme.so"_qs),
                 QStringList());
    }

    void addWritesADataSourceThatTestConnectsTo()
    {
        QTemporaryDir folder;
        const QString name = UniqueName(u"Made"_qs);
        CDataSourceEditor editor;
        int shown = 0;
        editor.SetFormRunner([&](CDataSourceForm& form) {
            ++shown;
            form.findChild<QLineEdit*>(QStringLiteral("name"))->setText(name);
            form.findChild<QComboBox*>(QStringLiteral("driver"))->setCurrentText(u"SQLite3"_qs);
            SetValue(form, u"Database"_qs, folder.filePath(u"made.db"_qs));
            SetValue(form, u"StepAPI"_qs, u"1"_qs);
            form.accept();
            return form.result() == QDialog::Accepted;
        });
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("add")), Qt::LeftButton);
        QCOMPARE(shown, 1);
        QCOMPARE(editor.Picked(), name);
        QCOMPARE(editor.LastWritten(), name);
        QCOMPARE(odbc::UserDataSourceKeys(name),
                 (odbc::DataSourceKeys{{u"Driver"_qs, u"SQLite3"_qs},
                                       {u"Database"_qs, folder.filePath(u"made.db"_qs)},
                                       {u"StepAPI"_qs, u"1"_qs}}));

        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("test")), Qt::LeftButton);
        QVERIFY2(Answer(editor).startsWith(u"Connected to \"%1\": SQLite"_qs.arg(name)),
                 qPrintable(Answer(editor)));

        editor.SetConfirmer([](const QString&) { return true; });
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("remove")), Qt::LeftButton);
        QVERIFY(!odbc::UserDataSources().contains(name));
        QVERIFY(editor.Picked() != name);
    }

    void refusedFormsStayOpenWithTheirReason()
    {
        const QString taken = UniqueName(u"Taken"_qs);
        QString error;
        QVERIFY(odbc::WriteUserDataSource(taken, u"SQLite3"_qs, {}, error));
        CDataSourceEditor editor;
        QStringList problems;
        int round = 0;
        editor.SetFormRunner([&](CDataSourceForm& form) {
            problems << form.Problem();
            auto* nameBox = form.findChild<QLineEdit*>(QStringLiteral("name"));
            switch (round++) {
            case 0:
                nameBox->setText(u"  "_qs); // no name: refused by the form itself
                form.accept();
                problems << form.Problem();
                nameBox->setText(taken);
                form.accept();
                return form.result() == QDialog::Accepted;
            default:
                return false; // the user cancels after the duplicate was refused
            }
        });
        editor.Add();
        QCOMPARE(problems.size(), 3);
        QCOMPARE(problems[0], QString());
        QCOMPARE(problems[1], u"The data source needs a name."_qs);
        QCOMPARE(problems[2], u"A data source named \"%1\" exists already."_qs.arg(taken));
        QCOMPARE(editor.LastWritten(), QString());
        QVERIFY(odbc::RemoveUserDataSource(taken, error));
    }

    void editRenamesAndKeepsFreeKeys()
    {
        const QString before = UniqueName(u"Before"_qs);
        const QString after = UniqueName(u"After"_qs);
        QString error;
        QVERIFY(odbc::WriteUserDataSource(
            before, u"SQLite3"_qs, {{u"Database"_qs, u"/x.db"_qs}, {u"Timeout"_qs, u"900"_qs}},
            error));
        CDataSourceEditor editor;
        editor.Refill(before);
        QStringList shownLines;
        editor.SetFormRunner([&](CDataSourceForm& form) {
            shownLines = Lines(form);
            form.findChild<QLineEdit*>(QStringLiteral("name"))->setText(after);
            form.accept();
            return true;
        });
        editor.Edit();
        // The driver's lines first, filled from the data source, then its other keys.
        QCOMPARE(shownLines,
                 (QStringList{u"Database=/x.db"_qs, u"StepAPI="_qs, u"Timeout=900"_qs}));
        const QStringList sources = odbc::UserDataSources();
        QVERIFY(!sources.contains(before));
        QVERIFY(sources.contains(after));
        QCOMPARE(odbc::UserDataSourceKeys(after),
                 (odbc::DataSourceKeys{{u"Driver"_qs, u"SQLite3"_qs},
                                       {u"Database"_qs, u"/x.db"_qs},
                                       {u"Timeout"_qs, u"900"_qs}}));
        QVERIFY(odbc::RemoveUserDataSource(after, error));
    }

    void testShowsTheDriversMessageWhenTheConnectFails()
    {
        const QString name = UniqueName(u"Broken"_qs);
        QString error;
        QVERIFY(odbc::WriteUserDataSource(
            name, u"PostgreSQL Unicode"_qs,
            {{u"Servername"_qs, u"127.0.0.1"_qs}, {u"Port"_qs, u"1"_qs}}, error));
        CDataSourceEditor editor;
        editor.Refill(name);
        editor.Test();
        QVERIFY2(Answer(editor).startsWith(u"Connecting to \"%1\" failed:\n"_qs.arg(name)),
                 qPrintable(Answer(editor)));
        // The driver's own diagnostic follows: a SQLSTATE and its text.
        QVERIFY2(Answer(editor).section(u'\n', 1).size() > 6, qPrintable(Answer(editor)));
        QVERIFY(odbc::RemoveUserDataSource(name, error));
    }

    void pageOpensTheEditorWithoutAnAdministratorAndShowsWhatWasMade()
    {
        CTessellaDoc document;
        CConnectionPage page(document);
        page.Administrator().SetProgramFinder([](const QString&) { return QString(); });
        const QString name = UniqueName(u"FromPage"_qs);
        QString note;
        page.SetEditorHook([&](CDataSourceEditor& editor) {
            note = editor.findChild<QLabel*>(QStringLiteral("note"))->text();
            editor.SetFormRunner([&](CDataSourceForm& form) {
                form.findChild<QLineEdit*>(QStringLiteral("name"))->setText(name);
                form.accept();
                return form.result() == QDialog::Accepted;
            });
            editor.Add();
        });
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("administrator")),
                          Qt::LeftButton);
        QVERIFY2(note.contains(u"The specified file was not found."_qs), qPrintable(note));
        auto* combo = page.findChild<CDataSourceCombo*>(QStringLiteral("dataSource"));
        // Filled afresh when the editor closed: the new data source is listed and shown.
        QVERIFY(combo->findText(name) >= 0);
        QCOMPARE(combo->Name(), name);
        QString error;
        QVERIFY(odbc::RemoveUserDataSource(name, error));
    }
};

TESSELLA_GUI_TEST(DataSourceEditorTest)

#include "DataSourceEditorTest.moc"
