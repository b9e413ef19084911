#include "results/CDlgClosingThreads.h"

#include "execution/CWorkerThread.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

CDlgClosingThreads::CDlgClosingThreads(std::vector<CWorkerThread*> threads, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_waitThreads(std::move(threads)),
      m_timer(new QTimer(this)), m_offerTimer(new QTimer(this))
{
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Closing threads and database connections"), this));
    m_timer->setInterval(1000);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CDlgClosingThreads::OnTick);
    m_offerTimer->setSingleShot(true);
    m_offerTimer->setTimerType(Qt::PreciseTimer);
    m_offerTimer->setInterval(kOfferAfterMilliseconds);
    connect(m_offerTimer, &QTimer::timeout, this, &CDlgClosingThreads::OfferCloseAnyway);
}

bool CDlgClosingThreads::WaitFor(const std::vector<CWorkerThread*>& threads, QWidget* parent)
{
    CDlgClosingThreads dialog(threads, parent);
    return dialog.exec() != LeftRunning;
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
    if (!m_timer->isActive()) {
        m_timer->start();
        m_offerTimer->start();
    }
}

void CDlgClosingThreads::OfferCloseAnyway()
{
    if (m_closeAnyway || !AnyRunning()) {
        return;
    }
    m_closeAnyway = new QPushButton(QStringLiteral("Close anyway"), this);
    m_closeAnyway->setToolTip(
        QStringLiteral("Stop waiting for the connections that do not answer; they are "
                       "left behind and end with the program"));
    // Enter must not press it: only a deliberate click or Space leaves threads behind.
    m_closeAnyway->setAutoDefault(false);
    m_closeAnyway->setDefault(false);
    layout()->addWidget(m_closeAnyway);
    layout()->setAlignment(m_closeAnyway, Qt::AlignHCenter);
    connect(m_closeAnyway, &QPushButton::clicked, this, [this] {
        m_timer->stop();
        done(LeftRunning);
    });
    m_closeAnyway->show();
    adjustSize();
}

void CDlgClosingThreads::OnTick()
{
    if (!AnyRunning()) {
        m_timer->stop();
        m_offerTimer->stop();
        done(QDialog::Accepted);
    }
}
