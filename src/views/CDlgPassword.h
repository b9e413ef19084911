#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Asks for the password of one connection entry that has a login and no password, when the
// document is run.
class CDlgPassword : public QDialog
{
    Q_OBJECT

public:
    CDlgPassword(const QString& dataSource, const QString& login, QWidget* parent = nullptr);

    QString Password() const;
    // "Remember for this session": not asked again while the program runs.
    bool Remember() const;

private:
    QLineEdit* m_password;
    QCheckBox* m_remember;
};
