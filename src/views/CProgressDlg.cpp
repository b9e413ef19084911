#include "views/CProgressDlg.h"

#include "execution/CRegisteredEvents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

CProgressDlg::CProgressDlg(QWidget* parent)
    : QWidget(parent), m_batchCount(new QLabel(this)), m_percent(new QLabel(this)),
      m_progress(new QProgressBar(this))
{
    // The percentage and the bar are never shown by a run; they stay for a finer progress.
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_percent->hide();
    m_batchCount->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Parsing SQL..."), this));
    layout->addSpacing(12);
    layout->addWidget(new QLabel(tr("Batch count:"), this));
    layout->addWidget(m_batchCount);
    layout->addWidget(m_percent);
    layout->addWidget(m_progress);
    hide();
}

QString CProgressDlg::CountText() const
{
    return m_batchCount->text();
}

bool CProgressDlg::event(QEvent* event)
{
    if (event->type() == CRegisteredEvents::SetCtrlNum()) {
        m_batchCount->setText(QString::number(static_cast<CValueEvent*>(event)->Value()));
        return true;
    }
    if (event->type() == CRegisteredEvents::DelayShow()) {
        setVisible(static_cast<CValueEvent*>(event)->Value() != 0);
        return true;
    }
    return QWidget::event(event);
}
