#include "views/CAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_version(new QLineEdit(this))
{
    setWindowTitle(tr("About Tessella"));
    auto* icon = new QLabel(this);
    QIcon appIcon = QApplication::windowIcon();
    if (appIcon.isNull()) {
        appIcon = style()->standardIcon(QStyle::SP_ComputerIcon);
    }
    icon->setPixmap(appIcon.pixmap(48, 48));
    m_version->setReadOnly(true);
    m_version->setText(ProgramVersionText());
    m_version->setMinimumWidth(m_version->fontMetrics().horizontalAdvance(m_version->text()) + 24);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(tr("Tessella for ODBC:"), this), 0, 1);
    layout->addWidget(m_version, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutDlg::VersionText(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    QStringList numbers;
    for (int i = 0; i < 4; ++i) {
        // Each part is a 16-bit number, as in a version resource.
        const quint16 part = i < parts.size() ? parts.at(i).toUShort() : 0;
        numbers << QString::number(part);
    }
    QString text = numbers.join(QLatin1Char('.')) + QStringLiteral(" Unicode");
    if constexpr (sizeof(void*) == 8) {
        text += QStringLiteral("-64bit");
    }
    return text;
}

QString CAboutDlg::ProgramVersionText()
{
    return VersionText(QStringLiteral(TESSELLA_VERSION));
}
