#include "results/CConnectionPage.h"

#include "document/CConnectionData.h"
#include "execution/CTessellaDoc.h"
#include "results/CDataSourceCombo.h"
#include "results/CDataSourceEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <limits>

CConnectionPage::CConnectionPage(CTessellaDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    // Created in tab order; the labels take no focus.
    auto* dataSourceLabel = new QLabel(QStringLiteral("Datasource:"), this);
    m_dataSource = new CDataSourceCombo(this);
    m_administratorButton = new QPushButton(QStringLiteral("..."), this);
    auto* loginLabel = new QLabel(QStringLiteral("Login:"), this);
    m_login = new QLineEdit(this);
    auto* passwordLabel = new QLabel(QStringLiteral("Password:"), this);
    m_password = new QLineEdit(this);
    m_savePassword = new QCheckBox(QStringLiteral("Save password"), this);
    m_add = new QPushButton(QStringLiteral("Add"), this);
    m_update = new QPushButton(QStringLiteral("Update"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    auto* timeOutLabel = new QLabel(QStringLiteral("Time out:"), this);
    m_timeOut = new QLineEdit(this);
    m_enabled = new QCheckBox(QStringLiteral("Enabled"), this);

    dataSourceLabel->setBuddy(m_dataSource);
    loginLabel->setBuddy(m_login);
    passwordLabel->setBuddy(m_password);
    timeOutLabel->setBuddy(m_timeOut);
    m_password->setEchoMode(QLineEdit::Password);

    m_dataSource->setObjectName(QStringLiteral("dataSource"));
    m_administratorButton->setObjectName(QStringLiteral("administrator"));
    m_login->setObjectName(QStringLiteral("login"));
    m_password->setObjectName(QStringLiteral("password"));
    m_savePassword->setObjectName(QStringLiteral("savePassword"));
    m_add->setObjectName(QStringLiteral("add"));
    m_update->setObjectName(QStringLiteral("update"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_timeOut->setObjectName(QStringLiteral("timeOut"));
    m_enabled->setObjectName(QStringLiteral("enabled"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(dataSourceLabel, 0, 0);
    layout->addWidget(m_dataSource, 0, 1);
    layout->addWidget(m_administratorButton, 0, 2);
    layout->addWidget(loginLabel, 1, 0);
    layout->addWidget(m_login, 1, 1, 1, 2);
    layout->addWidget(passwordLabel, 2, 0);
    layout->addWidget(m_password, 2, 1, 1, 2);
    layout->addWidget(timeOutLabel, 3, 0);
    layout->addWidget(m_timeOut, 3, 1, 1, 2);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_savePassword);
    checks->addWidget(m_enabled);
    checks->addStretch();
    layout->addLayout(checks, 4, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_update);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    layout->addLayout(buttons, 5, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(6, 1);

    connect(m_dataSource, &QComboBox::currentIndexChanged, this, &CConnectionPage::RefreshButtons);
    connect(m_dataSource, &QComboBox::editTextChanged, this, &CConnectionPage::RefreshButtons);
    connect(m_administratorButton, &QPushButton::clicked, this,
            &CConnectionPage::StartAdministrator);
    connect(m_add, &QPushButton::clicked, this, &CConnectionPage::Add);
    connect(m_update, &QPushButton::clicked, this, &CConnectionPage::Update);
    connect(m_delete, &QPushButton::clicked, this, &CConnectionPage::Delete);

    WriteRecord(CConnectionData());
    RefreshButtons();
}

void CConnectionPage::WriteRecord(const CConnectionData& record)
{
    m_dataSource->ShowName(record.m_dataSource);
    m_login->setText(record.m_login);
    m_password->setText(record.m_password);
    m_savePassword->setChecked(record.m_savePassword != 0);
    m_timeOut->setText(QString::number(record.m_timeOut));
    m_enabled->setChecked(record.m_enabled != 0);
}

bool CConnectionPage::ReadRecord(CConnectionData& record) const
{
    record = CConnectionData();
    record.m_dataSource = m_dataSource->Name();
    record.m_login = m_login->text();
    record.m_password = m_password->text();
    record.m_savePassword = m_savePassword->isChecked() ? 1 : 0;
    record.m_timeOut = LeadingInteger(m_timeOut->text());
    record.m_enabled = m_enabled->isChecked() ? 1 : 0;
    return !record.m_dataSource.isEmpty();
}

void CConnectionPage::RefreshButtons()
{
    const QPointer<QWidget> focused = QApplication::focusWidget();
    CConnectionData record;
    const bool named = ReadRecord(record);
    const bool listed = named && IndexOf(record.m_dataSource) >= 0;
    // Enabling before disabling, so that a button losing the focus can hand it
    // to a neighbour that has just become enabled.
    const std::pair<QPushButton*, bool> states[] = {
        {m_add, named && !listed}, {m_update, listed}, {m_delete, listed}};
    for (const auto& [button, enabled] : states) {
        if (enabled) {
            button->setEnabled(true);
        }
    }
    for (const auto& [button, enabled] : states) {
        if (!enabled) {
            button->setEnabled(false);
        }
    }
    if (focused && isAncestorOf(focused) && !focused->isEnabled() && focused->hasFocus()) {
        // Moves on from the window's focused control, which is `focused`.
        focusNextChild();
    }
}

void CConnectionPage::Add()
{
    CConnectionData record;
    if (ReadRecord(record)) {
        m_document.m_connections.append(record);
        emit connectionsChanged();
        emit documentModified();
    }
    RefreshButtons();
}

void CConnectionPage::Update()
{
    CConnectionData record;
    if (ReadRecord(record)) {
        const qsizetype index = IndexOf(record.m_dataSource);
        if (index < 0) {
            m_document.m_connections.append(record);
        } else {
            m_document.ResetConnection(record.m_dataSource);
            CConnectionData& entry = m_document.m_connections[index];
            entry.m_login = record.m_login;
            entry.m_password = record.m_password;
            entry.m_savePassword = record.m_savePassword;
            entry.m_timeOut = record.m_timeOut;
            entry.m_enabled = record.m_enabled;
        }
        emit documentModified();
        emit connectionsChanged();
    }
    RefreshButtons();
}

void CConnectionPage::Delete()
{
    CConnectionData record;
    if (ReadRecord(record)) {
        const qsizetype index = IndexOf(record.m_dataSource);
        if (index >= 0) {
            m_document.ResetConnection(record.m_dataSource);
            m_document.m_connections.removeAt(index);
            emit documentModified();
        }
        emit connectionsChanged();
    }
    RefreshButtons();
}

void CConnectionPage::StartAdministrator()
{
    QString reason;
    if (!m_administrator.Start(reason)) {
        OpenDataSourceEditor(reason);
    }
}

void CConnectionPage::OpenDataSourceEditor(const QString& reason)
{
    CDataSourceEditor editor(this);
    editor.SetNote(tr("No ODBC administrator program could be started (%1).")
                       .arg(QString(reason).replace(u'\n', u' ')));
    editor.SetLogin(m_login->text(), m_password->text());
    const QString shown = m_dataSource->Name();
    editor.Refill(shown);
    if (m_editorHook) {
        m_editorHook(editor);
    } else {
        editor.exec();
    }
    m_dataSource->FillFromDriverManager();
    // A data source just made is what the user wants to connect to next.
    m_dataSource->ShowName(editor.LastWritten().isEmpty() ? shown : editor.LastWritten());
    RefreshButtons();
}

int CConnectionPage::LeadingInteger(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace()) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
        negative = text[at] == u'-';
        ++at;
    }
    // Counted towards the negative limit, which holds one more than the positive one.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = std::min(limit, value * 10 + (text[at].unicode() - u'0'));
    }
    if (negative) {
        return int(-value);
    }
    return int(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

qsizetype CConnectionPage::IndexOf(const QString& name) const
{
    const CConnectionDataArray& connections = m_document.m_connections;
    for (qsizetype i = 0; i < connections.size(); ++i) {
        if (connections[i].m_dataSource == name) {
            return i;
        }
    }
    return -1;
}
