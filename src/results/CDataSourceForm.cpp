#include "results/CDataSourceForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// What the driver manager refuses in a data source name.
const QString kForbiddenInName = QStringLiteral("[]{}(),;?*=!@\\");

} // namespace

CDataSourceForm::CDataSourceForm(const QStringList& drivers, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Data Source"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_driver = new QComboBox(this);
    m_driver->setObjectName(QStringLiteral("driver"));
    m_driver->addItems(drivers);
    m_keys = new QTableWidget(0, 2, this);
    m_keys->setObjectName(QStringLiteral("keys"));
    m_keys->setHorizontalHeaderLabels({tr("Key"), tr("Value")});
    m_keys->horizontalHeader()->setStretchLastSection(true);
    m_keys->verticalHeader()->hide();
    auto* addLine = new QPushButton(tr("Add key"), this);
    addLine->setObjectName(QStringLiteral("addKey"));
    auto* removeLine = new QPushButton(tr("Remove key"), this);
    removeLine->setObjectName(QStringLiteral("removeKey"));
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00020"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), m_name);
    form->addRow(tr("&Driver:"), m_driver);
    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(addLine);
    lineButtons->addWidget(removeLine);
    lineButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_keys, 1);
    layout->addLayout(lineButtons);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(460, 360);

    connect(m_driver, &QComboBox::currentTextChanged, this, &CDataSourceForm::OnDriverChanged);
    connect(addLine, &QPushButton::clicked, this, [this] {
        AddLine();
        m_keys->setCurrentCell(m_keys->rowCount() - 1, 0);
        m_keys->editItem(m_keys->item(m_keys->rowCount() - 1, 0));
    });
    connect(removeLine, &QPushButton::clicked, this, &CDataSourceForm::RemoveLine);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDataSourceForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDataSourceForm::reject);
    OnDriverChanged();
}

void CDataSourceForm::ShowDataSource(const QString& name, const odbc::DataSourceKeys& keys)
{
    m_name->setText(name);
    odbc::DataSourceKeys others;
    for (const auto& [key, value] : keys) {
        if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) != 0) {
            others.append({key, value});
        } else if (m_driver->findText(value) < 0) {
            // A driver that is no longer installed is still shown as the data source names it.
            m_driver->addItem(value);
        }
        if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker quiet(m_driver);
            m_driver->setCurrentText(value);
        }
    }
    SetLines(others);
}

QString CDataSourceForm::Name() const
{
    return m_name->text().trimmed();
}

QString CDataSourceForm::Driver() const
{
    return m_driver->currentText();
}

odbc::DataSourceKeys CDataSourceForm::Keys() const
{
    odbc::DataSourceKeys keys;
    for (int row = 0; row < m_keys->rowCount(); ++row) {
        const QString key = m_keys->item(row, 0)->text().trimmed();
        const QString value = m_keys->item(row, 1)->text().trimmed();
        if (!key.isEmpty() && !value.isEmpty()) {
            keys.append({key, value});
        }
    }
    return keys;
}

QStringList CDataSourceForm::KnownKeys(const QString& driver, const QString& library)
{
    const QString both = (driver + u' ' + library).toLower();
    if (both.contains(u"sqlite"_qs)) {
        return {u"Database"_qs, u"StepAPI"_qs};
    }
    if (both.contains(u"postgres"_qs) || both.contains(u"psqlodbc"_qs)) {
        return {u"Servername"_qs, u"Port"_qs, u"Database"_qs, u"UseDeclareFetch"_qs};
    }
    if (both.contains(u"mariadb"_qs) || both.contains(u"maodbc"_qs) || both.contains(u"mysql"_qs) ||
        both.contains(u"myodbc"_qs)) {
        return {u"Server"_qs, u"Port"_qs, u"Database"_qs};
    }
    return {};
}

void CDataSourceForm::accept()
{
    const QString name = Name();
    if (name.isEmpty()) {
        ShowProblem(tr("The data source needs a name."));
        return;
    }
    for (const QChar c : name) {
        if (kForbiddenInName.contains(c)) {
            ShowProblem(tr("A data source name cannot hold any of %1").arg(kForbiddenInName));
            return;
        }
    }
    if (Driver().isEmpty()) {
        ShowProblem(tr("No ODBC driver is installed."));
        return;
    }
    QDialog::accept();
}

void CDataSourceForm::ShowProblem(const QString& text)
{
    m_problem->setText(text);
}

QString CDataSourceForm::Problem() const
{
    return m_problem->text();
}

void CDataSourceForm::OnDriverChanged()
{
    // Lines the user filled in stay; the empty ones of the driver before go.
    SetLines(Keys());
}

void CDataSourceForm::SetLines(const odbc::DataSourceKeys& lines)
{
    const QString driver = Driver();
    const QStringList known =
        KnownKeys(driver, odbc::ProfileString(driver, u"Driver"_qs, u"ODBCINST.INI"_qs));
    m_keys->setRowCount(0);
    // The driver's keys first, in its order, then the others as they came.
    for (const QString& key : known) {
        AddLine(key);
    }
    for (const auto& [key, value] : lines) {
        const int row = RowOf(key);
        if (row >= 0) {
            m_keys->item(row, 1)->setText(value);
        } else {
            AddLine(key, value);
        }
    }
}

void CDataSourceForm::AddLine(const QString& key, const QString& value)
{
    const int row = m_keys->rowCount();
    m_keys->insertRow(row);
    m_keys->setItem(row, 0, new QTableWidgetItem(key));
    m_keys->setItem(row, 1, new QTableWidgetItem(value));
}

void CDataSourceForm::RemoveLine()
{
    const int row = m_keys->currentRow();
    if (row >= 0) {
        m_keys->removeRow(row);
    }
}

int CDataSourceForm::RowOf(const QString& key) const
{
    for (int row = 0; row < m_keys->rowCount(); ++row) {
        if (m_keys->item(row, 0)->text().compare(key, Qt::CaseInsensitive) == 0) {
            return row;
        }
    }
    return -1;
}
