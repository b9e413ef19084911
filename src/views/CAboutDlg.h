#pragma once

#include <QDialog>

class QLineEdit;

// "About Tessella": the application's icon and its version.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "major.minor.patch.tweak Unicode", and "-64bit" in a 64-bit build: the four parts of
    // `version` ("1.0.0.5"), missing parts 0.
    static QString VersionText(const QString& version);
    // VersionText of this build's version.
    static QString ProgramVersionText();

    QLineEdit* VersionBox() const { return m_version; }

private:
    QLineEdit* m_version;
};
