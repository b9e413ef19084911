#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;

// The user guide: pages of HTML built into the program, linked to each other, shown in a window
// of its own beside the main window.
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // The guide's pages by name ("index", "connections", ...); the contents page first.
    static QStringList Pages();
    // Shows `page` (a name of Pages()) and brings the window up; the contents for an unknown one.
    void ShowPage(const QString& page);
    // The name of the page shown.
    QString CurrentPage() const;

    QTextBrowser* Browser() const { return m_browser; }

private:
    static QUrl PageUrl(const QString& page);

    QTextBrowser* m_browser;
};
