#include "app/CHelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Tessella Help"));
    setObjectName(QStringLiteral("helpWindow"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    // Links to the web go to the desktop's browser; the guide's own stay here.
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(tr("&Back"), this);
    auto* contents = new QPushButton(tr("&Contents"), this);
    auto* close = new QPushButton(tr("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(720, 620);

    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] { ShowPage(QStringLiteral("index")); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    back->setEnabled(false);
    m_browser->setSource(PageUrl(QStringLiteral("index")));
}

QStringList CHelpWindow::Pages()
{
    return {QStringLiteral("index"),        QStringLiteral("document-window"),
            QStringLiteral("results"),      QStringLiteral("connections"),
            QStringLiteral("data-sources"), QStringLiteral("passwords"),
            QStringLiteral("options"),      QStringLiteral("runner"),
            QStringLiteral("recovery")};
}

void CHelpWindow::ShowPage(const QString& page)
{
    const QUrl url = PageUrl(Pages().contains(page) ? page : QStringLiteral("index"));
    if (m_browser->source() != url) {
        m_browser->setSource(url);
    }
    show();
    raise();
    activateWindow();
}

QString CHelpWindow::CurrentPage() const
{
    return QFileInfo(m_browser->source().path()).completeBaseName();
}

QUrl CHelpWindow::PageUrl(const QString& page)
{
    return QUrl(QStringLiteral("qrc:/help/%1.html").arg(page));
}
