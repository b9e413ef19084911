#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class CChildFrame;
class QWidget;

// Watches the start-up for the first paint of a document window and then announces, once, how
// long the program took to get there. The start-up benchmark launches the workbench with
// TESSELLA_EXIT_WHEN_SHOWN set, which makes main() print the figure and quit; without it no
// probe exists and nothing is watched.
class CStartupProbe : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // `started` is the moment main() began.
    explicit CStartupProbe(Clock::time_point started, QObject* parent = nullptr);
    ~CStartupProbe() override;

    // True when the environment asks for the probe.
    static bool Wanted();
    // The line main() prints: the time since main() began and the clock's own reading, which a
    // launching process compares with its reading when it started this one.
    static QString ReportLine(const QString& title, double millisecondsSinceMain, qint64 clockNs);

signals:
    // A document window, whose document is called `title`, has been painted and the paint has
    // reached the screen; `clockNs` is the steady clock's reading then.
    void documentShown(const QString& title, double millisecondsSinceMain, qint64 clockNs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static const CChildFrame* DocumentWindowOf(const QWidget* widget);
    void Announce();

    Clock::time_point m_started;
    bool m_painted = false;
    QString m_title;
};
