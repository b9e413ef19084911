#include "CResultsView.h"

#include "CRegisteredEvents.h"
#include "CResultsModel.h"
#include "CTessellaDoc.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

CResultsView::CResultsView(CTessellaDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document), m_tabs(new QTabWidget(this)),
      m_list(new QTableView(this)), m_model(new CResultsModel(document, this))
{
    m_tabs->setTabPosition(QTabWidget::South);
    m_list->setModel(m_model);
    setFocusProxy(m_list);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setShowGrid(true);
    m_list->horizontalHeader()->hide();
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_tabs->addTab(m_list, tr("All Results"));
    m_tabs->addTab(new QWidget(this), tr("Connections"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);

    m_document.SetResultsWindow(this);
    connect(&m_document, &CTessellaDoc::runStarting, this, &CResultsView::OnRunStarting);
}

void CResultsView::OnRunStarting()
{
    m_model->Reset();
    m_tabs->setCurrentIndex(0);
}

bool CResultsView::event(QEvent* event)
{
    if (event->type() != CRegisteredEvents::ArrayPost()) {
        return QWidget::event(event);
    }
    CPostElemArray& batch = *static_cast<CArrayPostEvent*>(event)->Batch();
    // The rows go to the end of the connection's group, or to a new group with its title row
    // at the end of the list; the model announces them before the store has them.
    const CResultStore& results = m_document.Results();
    const qsizetype groupEnd = results.BlockEnd(batch.m_connectionName);
    const qsizetype first = groupEnd >= 0 ? groupEnd : results.Count();
    const qsizetype count = qsizetype(batch.size()) + (groupEnd >= 0 ? 0 : 1);
    m_model->BeginInsertRows(first, count);
    m_document.IntakeBatch(batch);
    m_model->EndInsertRows();
    return true;
}

void CResultsView::ShowEntry(const CConnectionData& /*entry*/)
{
    // The "Connections" page has no editor yet.
}

void CResultsView::ScrollToConnectionEnd(const QString& dataSource)
{
    const qsizetype end = m_document.Results().BlockEnd(dataSource);
    if (end <= 0) {
        return;
    }
    QMetaObject::invokeMethod(
        m_list,
        [this, end] {
            if (end <= m_model->rowCount()) {
                m_list->scrollTo(m_model->index(int(end - 1), 0));
            }
        },
        Qt::QueuedConnection);
}
