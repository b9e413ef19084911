#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class CWorkerThread;
class QPushButton;
class QTimer;

// The small window without caption that keeps the user waiting while a closing
// document's threads end. It looks once a second and closes itself at the first
// look that finds none of them running. Escape and Enter do nothing; but when a
// thread has not ended after five seconds, stuck in a driver call that may never
// return, the button "Close anyway" appears, and pressing it ends the wait with
// the threads still running.
class CDlgClosingThreads : public QDialog
{
    Q_OBJECT

public:
    // The result when the user chose not to wait any longer.
    static constexpr int LeftRunning = 2;
    static constexpr int kOfferAfterMilliseconds = 5000;

    // The threads are not owned and must outlive the window.
    CDlgClosingThreads(std::vector<CWorkerThread*> threads, QWidget* parent = nullptr);

    // Shows the window modally until the threads have ended (true) or the user
    // pressed "Close anyway" (false).
    static bool WaitFor(const std::vector<CWorkerThread*>& threads, QWidget* parent);
    // A waiter for CTessellaDoc::SetClosingWaiter showing the window over `parent`.
    static std::function<void(const std::vector<CWorkerThread*>&)> Waiter(QWidget* parent);

    bool AnyRunning() const;
    // Null until offered.
    QPushButton* CloseAnywayButton() const { return m_closeAnyway; }

    // Escape and the window's close request do nothing.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The first look comes one second after the window opens.
    void showEvent(QShowEvent* event) override;

private:
    void OnTick();
    void OfferCloseAnyway();

    std::vector<CWorkerThread*> m_waitThreads;
    QTimer* m_timer;
    QTimer* m_offerTimer;
    QPushButton* m_closeAnyway = nullptr;
};
