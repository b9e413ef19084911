#pragma once

#include "odbc/OdbcInstaller.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// One user data source as the data source editor adds or changes it: its name, its driver from
// the installed ones, and the driver's keys. The keys a known driver reads stand ready to fill;
// any other key is a line of its own.
class CDataSourceForm : public QDialog
{
    Q_OBJECT

public:
    // `drivers`: the installed drivers to choose from.
    CDataSourceForm(const QStringList& drivers, QWidget* parent = nullptr);

    // Shows a data source that exists: its name, driver and keys.
    void ShowDataSource(const QString& name, const odbc::DataSourceKeys& keys);

    QString Name() const;
    QString Driver() const;
    // The lines with a key and a value, in their order: an empty line is left unwritten, so
    // that the driver's default holds.
    odbc::DataSourceKeys Keys() const;

    // The keys a driver reads that a data source commonly sets, by the driver's name or its
    // library's path; none for a driver we do not know.
    static QStringList KnownKeys(const QString& driver, const QString& library);

    // A line under the keys saying what is wrong with the form's contents.
    void ShowProblem(const QString& text);
    QString Problem() const;

    // Checks the name before the dialog closes; a refusal is shown in the form.
    void accept() override;

private:
    void OnDriverChanged();
    // The driver's keys, then `lines`; a line of a driver's key fills that key's value.
    void SetLines(const odbc::DataSourceKeys& lines);
    void AddLine(const QString& key = {}, const QString& value = {});
    void RemoveLine();
    int RowOf(const QString& key) const;

    QLineEdit* m_name;
    QComboBox* m_driver;
    QTableWidget* m_keys;
    QLabel* m_problem;
};
