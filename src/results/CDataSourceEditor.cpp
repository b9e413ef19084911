#include "results/CDataSourceEditor.h"

#include "appbase/CWaitCursor.h"
#include "odbc/CODBCObject.h"
#include "odbc/OdbcInstaller.h"
#include "results/CDataSourceForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// How long "Test" waits for a server that does not answer.
constexpr int kTestTimeOutSeconds = 10;

QString DriverOf(const odbc::DataSourceKeys& keys)
{
    for (const auto& [key, value] : keys) {
        if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

} // namespace

CDataSourceEditor::CDataSourceEditor(QWidget* parent)
    : QDialog(parent),
      m_formRunner([](CDataSourceForm& form) { return form.exec() == QDialog::Accepted; }),
      m_confirmer([this](const QString& question) {
          return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
      })
{
    setWindowTitle(tr("ODBC Data Sources"));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("dataSources"));
    m_list->setHeaderLabels({tr("Name"), tr("Driver")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* add = new QPushButton(tr("&Add..."), this);
    add->setObjectName(QStringLiteral("add"));
    m_edit = new QPushButton(tr("&Edit..."), this);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_remove = new QPushButton(tr("&Remove"), this);
    m_remove->setObjectName(QStringLiteral("remove"));
    m_test = new QPushButton(tr("&Test"), this);
    m_test->setObjectName(QStringLiteral("test"));
    m_answer = new QPlainTextEdit(this);
    m_answer->setObjectName(QStringLiteral("answer"));
    m_answer->setReadOnly(true);
    m_answer->setPlaceholderText(tr("What the driver answers to \"Test\" shows here."));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, m_edit, m_remove, m_test}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addLayout(middle, 3);
    layout->addWidget(m_answer, 1);
    layout->addWidget(close);
    resize(620, 420);

    connect(add, &QPushButton::clicked, this, &CDataSourceEditor::Add);
    connect(m_edit, &QPushButton::clicked, this, &CDataSourceEditor::Edit);
    connect(m_remove, &QPushButton::clicked, this, &CDataSourceEditor::Remove);
    connect(m_test, &QPushButton::clicked, this, &CDataSourceEditor::Test);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CDataSourceEditor::Edit);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CDataSourceEditor::UpdateButtons);
    connect(close, &QDialogButtonBox::rejected, this, &CDataSourceEditor::reject);
    SetNote({});
    Refill();
}

void CDataSourceEditor::SetNote(const QString& note)
{
    QString text = tr("Your own ODBC data sources, as the driver manager keeps them.");
    if (!note.isEmpty()) {
        text = note + u' ' + text;
    }
    m_note->setText(text);
}

void CDataSourceEditor::SetLogin(const QString& login, const QString& password)
{
    m_login = login;
    m_password = password;
}

void CDataSourceEditor::Add()
{
    CDataSourceForm form(odbc::InstalledDrivers(), this);
    while (m_formRunner(form)) {
        if (odbc::UserDataSources().contains(form.Name())) {
            form.ShowProblem(tr("A data source named \"%1\" exists already.").arg(form.Name()));
            continue;
        }
        if (Write(form, {})) {
            return;
        }
    }
}

void CDataSourceEditor::Edit()
{
    const QString name = Picked();
    if (name.isEmpty()) {
        return;
    }
    CDataSourceForm form(odbc::InstalledDrivers(), this);
    form.ShowDataSource(name, odbc::UserDataSourceKeys(name));
    while (m_formRunner(form)) {
        if (form.Name() != name && odbc::UserDataSources().contains(form.Name())) {
            form.ShowProblem(tr("A data source named \"%1\" exists already.").arg(form.Name()));
            continue;
        }
        if (Write(form, name)) {
            return;
        }
    }
}

void CDataSourceEditor::Remove()
{
    const QString name = Picked();
    if (name.isEmpty() || !m_confirmer(tr("Remove the data source \"%1\"?").arg(name))) {
        return;
    }
    QString error;
    if (!odbc::RemoveUserDataSource(name, error)) {
        ShowAnswer(error);
        return;
    }
    ShowAnswer(tr("\"%1\" was removed.").arg(name));
    Refill();
}

void CDataSourceEditor::Test()
{
    const QString name = Picked();
    if (name.isEmpty()) {
        return;
    }
    CWaitCursor wait;
    CODBCObject connection;
    QString error;
    if (!connection.ConnectNoPrompt(name, m_login, m_password, {}, kTestTimeOutSeconds, false,
                                    &error)) {
        error.replace(u"\r\n"_qs, u"\n"_qs);
        ShowAnswer(tr("Connecting to \"%1\" failed:\n%2")
                       .arg(name, error.isEmpty() ? tr("the driver gave no reason.") : error));
        return;
    }
    const QString dbms = connection.GetDbmsName();
    connection.Disconnect();
    ShowAnswer(
        tr("Connected to \"%1\": %2.").arg(name, dbms.isEmpty() ? tr("no DBMS name") : dbms));
}

void CDataSourceEditor::Refill(const QString& name)
{
    const QString keep = name.isEmpty() ? Picked() : name;
    m_list->clear();
    for (const QString& source : odbc::UserDataSources()) {
        auto* item =
            new QTreeWidgetItem(m_list, {source, DriverOf(odbc::UserDataSourceKeys(source))});
        if (source == keep) {
            m_list->setCurrentItem(item);
        }
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0) {
        m_list->setCurrentItem(m_list->topLevelItem(0));
    }
    UpdateButtons();
}

QString CDataSourceEditor::Picked() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->text(0) : QString();
}

bool CDataSourceEditor::Write(CDataSourceForm& form, const QString& previous)
{
    QString error;
    if (!odbc::WriteUserDataSource(form.Name(), form.Driver(), form.Keys(), error)) {
        form.ShowProblem(error);
        return false;
    }
    // A renamed data source is written under its new name before the old one goes, so that a
    // refused name loses nothing.
    if (!previous.isEmpty() && previous != form.Name() &&
        !odbc::RemoveUserDataSource(previous, error)) {
        ShowAnswer(error);
    } else {
        ShowAnswer(tr("\"%1\" was saved.").arg(form.Name()));
    }
    m_lastWritten = form.Name();
    Refill(form.Name());
    return true;
}

void CDataSourceEditor::ShowAnswer(const QString& text)
{
    m_answer->setPlainText(text);
}

void CDataSourceEditor::UpdateButtons()
{
    const bool picked = m_list->currentItem() != nullptr;
    m_edit->setEnabled(picked);
    m_remove->setEnabled(picked);
    m_test->setEnabled(picked);
}
