#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class CWorkerThread;
class QTimer;

// The small window without caption or buttons that keeps the user waiting
// while a closing document's threads end. It looks once a second and closes
// itself at the first look that finds none of them running; the user cannot
// close it.
class CDlgClosingThreads : public QDialog
{
    Q_OBJECT

public:
    // The threads are not owned and must outlive the window.
    CDlgClosingThreads(std::vector<CWorkerThread*> threads, QWidget* parent = nullptr);

    // Shows the window modally until the threads have ended.
    static void WaitFor(const std::vector<CWorkerThread*>& threads, QWidget* parent);
    // A waiter for CTessellaDoc::SetClosingWaiter showing the window over `parent`.
    static std::function<void(const std::vector<CWorkerThread*>&)> Waiter(QWidget* parent);

    bool AnyRunning() const;

    // Escape and the window's close request do nothing.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The first look comes one second after the window opens.
    void showEvent(QShowEvent* event) override;

private:
    void OnTick();

    std::vector<CWorkerThread*> m_waitThreads;
    QTimer* m_timer;
};
