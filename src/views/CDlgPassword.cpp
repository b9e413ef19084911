#include "views/CDlgPassword.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgPassword::CDlgPassword(const QString& dataSource, const QString& login, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Password"));
    auto* question = new QLabel(this);
    question->setObjectName(QStringLiteral("question"));
    // Names are shown as they are, never taken for markup.
    question->setTextFormat(Qt::PlainText);
    question->setText(tr("The connection to %1 needs the password of %2.").arg(dataSource, login));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_remember = new QCheckBox(tr("Remember for this session"), this);
    m_remember->setObjectName(QStringLiteral("remember"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout;
    form->addRow(tr("&Password:"), m_password);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addLayout(form);
    layout->addWidget(m_remember);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_password->setFocus();
}

QString CDlgPassword::Password() const
{
    return m_password->text();
}

bool CDlgPassword::Remember() const
{
    return m_remember->isChecked();
}
