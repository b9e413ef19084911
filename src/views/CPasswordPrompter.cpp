#include "views/CPasswordPrompter.h"

#include "views/CDlgPassword.h"

CPasswordPrompter::CPasswordPrompter()
    : m_asker([](CDlgPassword& dialog) { return dialog.exec() == QDialog::Accepted; })
{
}

bool CPasswordPrompter::Collect(const CConnectionDataArray& entries, QWidget* parent,
                                Passwords& passwords)
{
    passwords = m_remembered;
    for (const CConnectionData& entry : entries) {
        const Login login{entry.m_dataSource, entry.m_login};
        if (!entry.m_enabled || entry.m_login.isEmpty() || !entry.m_password.isEmpty() ||
            passwords.contains(login)) {
            continue;
        }
        CDlgPassword dialog(entry.m_dataSource, entry.m_login, parent);
        if (!m_asker(dialog)) {
            return false;
        }
        passwords.insert(login, dialog.Password());
        if (dialog.Remember()) {
            m_remembered.insert(login, dialog.Password());
        }
    }
    return true;
}
