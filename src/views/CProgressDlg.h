#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The batch-parsing progress shown in a document window's tool bar while a run cuts its SQL
// into batches: "Parsing SQL...", "Batch count:" and the count. Hidden until the run shows it;
// receives WM_SETCTRL_NUM (the count) and WM_DELAYSHOW (show or hide) from the run document.
class CProgressDlg : public QWidget
{
    Q_OBJECT

public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    QString CountText() const;

protected:
    bool event(QEvent* event) override;

private:
    QLabel* m_batchCount;
    QLabel* m_percent;
    QProgressBar* m_progress;
};
