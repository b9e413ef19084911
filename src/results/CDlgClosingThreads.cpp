#include "CDlgClosingThreads.h"

#include "CWorkerThread.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

CDlgClosingThreads::CDlgClosingThreads(std::vector<CWorkerThread*> threads, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_waitThreads(std::move(threads)),
      m_timer(new QTimer(this))
{
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Closing threads and database connections"), this));
    m_timer->setInterval(1000);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CDlgClosingThreads::OnTick);
}

void CDlgClosingThreads::WaitFor(const std::vector<CWorkerThread*>& threads, QWidget* parent)
{
    CDlgClosingThreads dialog(threads, parent);
    dialog.exec();
}

std::function<void(const std::vector<CWorkerThread*>&)> CDlgClosingThreads::Waiter(QWidget* parent)
{
    return [window = QPointer<QWidget>(parent)](const std::vector<CWorkerThread*>& threads) {
        WaitFor(threads, window.data());
    };
}

bool CDlgClosingThreads::AnyRunning() const
{
    return std::any_of(m_waitThreads.begin(), m_waitThreads.end(),
                       [](const CWorkerThread* thread) { return thread->IsRunning(); });
}

void CDlgClosingThreads::reject()
{
}

void CDlgClosingThreads::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CDlgClosingThreads::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_timer->start();
}

void CDlgClosingThreads::OnTick()
{
    if (!AnyRunning()) {
        m_timer->stop();
        done(QDialog::Accepted);
    }
}
