#include "app/CHistoryWindow.h"

#include "app/CHistoryDetail.h"
#include "history/CRunHistory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The most runs the list shows: as many as the history keeps by default.
constexpr int kListedRuns = 1000;
// The filter applies once typing pauses.
constexpr int kFilterDelayMilliseconds = 200;

enum ListColumn
{
    ColumnTime,
    ColumnDocument,
    ColumnConnections,
    ColumnBatches,
    ColumnRows,
    ColumnErrors,
    ColumnDuration,
    ColumnState,
};

QTreeWidgetItem* ListItem(const CHistoryRun& run)
{
    // A run that never ended has no counts, rather than counts of nothing.
    auto count = [&run](qint64 value) { return run.finished ? QString::number(value) : QString(); };
    auto* item = new QTreeWidgetItem(
        {run.started.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_qs), run.document,
         run.connections.join(u", "_qs), count(run.batches), count(run.rows), count(run.errors),
         run.finished ? CHistoryDetail::Duration(run.durationMs) : QString(),
         CHistoryDetail::State(run)});
    item->setData(0, Qt::UserRole, run.id);
    item->setToolTip(ColumnDocument, run.document);
    for (int column : {ColumnBatches, ColumnRows, ColumnErrors, ColumnDuration}) {
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

} // namespace

CHistoryWindow::CHistoryWindow(const QString& databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_path(databasePath), m_filter(new QLineEdit(this)),
      m_filterDelay(new QTimer(this)), m_list(new QTreeWidget(this)),
      m_detail(new CHistoryDetail(this)), m_status(new QLabel(this)),
      m_open(new QPushButton(tr("Open in New Document"), this))
{
    setWindowTitle(tr("History"));
    resize(900, 600);
    m_filter->setPlaceholderText(tr("Filter: text of the SQL, document or connection"));
    m_filter->setClearButtonEnabled(true);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(kFilterDelayMilliseconds);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({tr("Time"), tr("Document"), tr("Connections"), tr("Batches"),
                             tr("Rows"), tr("Errors"), tr("Duration"), tr("State")});
    m_list->header()->setSectionResizeMode(ColumnDocument, QHeaderView::Interactive);
    m_list->setColumnWidth(ColumnTime, 140);
    m_list->setColumnWidth(ColumnDocument, 220);
    m_list->setColumnWidth(ColumnConnections, 180);
    for (int column : {ColumnBatches, ColumnRows, ColumnErrors, ColumnDuration}) {
        m_list->setColumnWidth(column, 70);
    }
    auto* refresh = new QPushButton(tr("Refresh"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_filter, 1);
    top->addWidget(refresh);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_open);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_list);
    split->addWidget(m_detail);
    split->setSizes({260, 340});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);

    connect(m_filter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_filterDelay, &QTimer::timeout, this, &CHistoryWindow::Refresh);
    connect(refresh, &QPushButton::clicked, this, &CHistoryWindow::Refresh);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CHistoryWindow::ShowChosen);
    connect(m_list, &QTreeWidget::itemActivated, this, &CHistoryWindow::OpenChosen);
    connect(m_open, &QPushButton::clicked, this, &CHistoryWindow::OpenChosen);
    m_open->setEnabled(false);
}

void CHistoryWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
}

qint64 CHistoryWindow::ChosenRun() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

void CHistoryWindow::Refresh()
{
    m_filterDelay->stop();
    const qint64 chosen = ChosenRun();
    // The chosen run is shown once, when the list is whole.
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    CRunHistory history;
    if (!history.Open(m_path)) {
        m_status->setText(history.Error());
        ShowChosen();
        return;
    }
    const QList<CHistoryRun> runs = history.Runs(m_filter->text(), kListedRuns);
    QTreeWidgetItem* keep = nullptr;
    for (const CHistoryRun& run : runs) {
        QTreeWidgetItem* item = ListItem(run);
        m_list->addTopLevelItem(item);
        if (run.id == chosen) {
            keep = item;
        }
    }
    m_status->setText(tr("%n run(s)", nullptr, int(runs.size())));
    m_list->setCurrentItem(keep ? keep : m_list->topLevelItem(0));
    ShowChosen();
}

void CHistoryWindow::ShowChosen()
{
    const qint64 id = ChosenRun();
    std::optional<CHistoryRun> run;
    CRunHistory history;
    if (id != 0 && history.Open(m_path)) {
        run = history.Run(id);
    }
    m_detail->Show(run ? &*run : nullptr);
    m_open->setEnabled(run.has_value());
}

void CHistoryWindow::OpenChosen()
{
    const qint64 id = ChosenRun();
    CRunHistory history;
    if (id == 0 || !history.Open(m_path)) {
        return;
    }
    if (const std::optional<CHistoryRun> run = history.Run(id)) {
        emit openInNewDocument(run->sqlText);
    }
}
