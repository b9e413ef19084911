#include "views/CLeftView.h"

#include "appbase/CMessageStrings.h"
#include "appbase/CommandIds.h"
#include "execution/CRegisteredEvents.h"
#include "views/CConnectionIcons.h"
#include "views/CQueryDocument.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>

#include <algorithm>

CLeftView::CLeftView(CQueryDocument& document, QWidget* parent)
    : QTreeWidget(parent), m_document(document)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setColumnCount(1);
    setMouseTracking(true); // items highlight under the mouse
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::OnSelectionChanged);
    connect(&document, &CQueryDocument::updated, this, &CLeftView::OnUpdate);
    document.RunDocument().SetConnectionTree(this);
}

QEvent::Type CLeftView::TCheckEvent()
{
    return CRegisteredEvents::Type(QStringLiteral("WM_TCHECK"));
}

void CLeftView::OnUpdate(QObject* sender, int /*hint*/, const CConnectionData* /*entry*/)
{
    if (m_waitForFirstPaint || sender == this) {
        return;
    }
    Rebuild();
}

void CLeftView::Rebuild()
{
    m_rebuilding = true;
    clear();
    for (const CConnectionData& entry : m_document.RunDocument().m_connections) {
        auto* item = new QTreeWidgetItem(this, QStringList{entry.m_dataSource});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, entry.m_enabled ? Qt::Checked : Qt::Unchecked);
    }
    RefreshConnectedImages();
    m_rebuilding = false;
}

void CLeftView::RefreshConnectedImages()
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->text(0).isEmpty()) {
            continue;
        }
        const bool connected = m_document.RunDocument().IsDataSourceConnected(item->text(0), false);
        item->setIcon(0,
                      connected ? CConnectionIcons::Connected() : CConnectionIcons::NotConnected());
        item->setData(0, Qt::UserRole, connected);
    }
}

void CLeftView::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (m_waitForFirstPaint) {
        m_waitForFirstPaint = false;
        // Changing the items inside a paint would paint them half-built.
        QMetaObject::invokeMethod(this, &CLeftView::Rebuild, Qt::QueuedConnection);
    }
}

bool CLeftView::event(QEvent* event)
{
    if (event->type() == TCheckEvent()) {
        TakeOverChecks();
        return true;
    }
    if (event->type() == CRegisteredEvents::CheckConnections()) {
        RefreshConnectedImages();
        return true;
    }
    return QTreeWidget::event(event);
}

void CLeftView::PostTCheck()
{
    QCoreApplication::postEvent(this, new QEvent(TCheckEvent()));
}

void CLeftView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    PostTCheck();
}

void CLeftView::keyPressEvent(QKeyEvent* event)
{
    QTreeWidget::keyPressEvent(event);
    PostTCheck();
}

void CLeftView::TakeOverChecks()
{
    CConnectionDataArray& connections = m_document.RunDocument().m_connections;
    QTreeWidgetItem* lastChanged = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const QString name = item->text(0);
        if (name.isEmpty()) {
            continue;
        }
        // Only the first entry of a name counts, as everywhere names identify entries.
        auto entry =
            std::find_if(connections.begin(), connections.end(),
                         [&name](const CConnectionData& e) { return e.m_dataSource == name; });
        if (entry == connections.end()) {
            continue;
        }
        const int checked = item->checkState(0) == Qt::Checked ? 1 : 0;
        if ((entry->m_enabled != 0) == (checked != 0)) {
            continue;
        }
        entry->m_enabled = checked;
        m_document.SetModifiedFlag(true);
        m_document.UpdateAllViews(this, CQueryDocument::kHintShowEntry, &*entry);
        lastChanged = item;
    }
    if (lastChanged) {
        setCurrentItem(lastChanged);
    }
}

const CConnectionData* CLeftView::FindEntry(const QString& name) const
{
    for (const CConnectionData& entry : m_document.RunDocument().m_connections) {
        if (entry.m_dataSource == name) {
            return &entry;
        }
    }
    return nullptr;
}

void CLeftView::OnSelectionChanged()
{
    if (m_rebuilding) {
        return;
    }
    const QString name = SelectedName();
    if (name.isEmpty()) {
        return;
    }
    if (const CConnectionData* entry = FindEntry(name)) {
        m_document.UpdateAllViews(this, CQueryDocument::kHintShowEntry, entry);
    }
    const CTessellaDoc& doc = m_document.RunDocument();
    if (doc.IsIdle() && doc.Results().BlockEnd(name) >= 0) {
        emit scrollResultsTo(name);
    }
}

QString CLeftView::SelectedName() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text(0);
}

bool CLeftView::CanResetConnection() const
{
    const QString name = SelectedName();
    const CTessellaDoc& doc = m_document.RunDocument();
    return !name.isEmpty() && doc.HasKeptConnection(name) && doc.IsDataSourceConnected(name, true);
}

void CLeftView::OnResetConnection()
{
    if (CanResetConnection()) {
        m_document.RunDocument().ResetConnection(SelectedName());
    }
}

QMenu* CLeftView::CreateContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    QAction* reset = menu->addAction(tr("Reset connection"));
    reset->setObjectName(QString::number(CommandNumber(Command::ResetConnection)));
    reset->setStatusTip(CMessageStrings::Text(CommandNumber(Command::ResetConnection)));
    reset->setEnabled(CanResetConnection());
    connect(reset, &QAction::triggered, this, &CLeftView::OnResetConnection);
    return menu;
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint where = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 0))
                                                                        : event->globalPos();
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(where);
}
