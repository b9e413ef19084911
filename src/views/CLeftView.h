#pragma once

#include <QEvent>
#include <QTreeWidget>

class CConnectionData;
class CQueryDocument;

// The connection tree of a document window: one item per connection entry, its check box the
// entry's "Enabled", its picture whether the data source is connected. Receives
// WM_CHECKCONNECTIONS from the run document.
class CLeftView : public QTreeWidget
{
    Q_OBJECT

public:
    CLeftView(CQueryDocument& document, QWidget* parent = nullptr);

    // A change of the document: rebuilds the tree, except before the first paint (which builds
    // it anyway) and when this view is the sender.
    void OnUpdate(QObject* sender, int hint, const CConnectionData* entry);
    void Rebuild();
    void RefreshConnectedImages();
    bool WaitingForFirstPaint() const { return m_waitForFirstPaint; }

    // "Reset connection" is for a selected data source whose kept connection is open.
    QString SelectedName() const;
    bool CanResetConnection() const;
    void OnResetConnection();
    QMenu* CreateContextMenu(QWidget* parent);

    // Posted to itself after a click or a key, when the check boxes have their new state.
    static QEvent::Type TCheckEvent();

signals:
    // The user picked a connection: the results should show its last row.
    void scrollResultsTo(const QString& dataSource);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PostTCheck();
    void TakeOverChecks();
    void OnSelectionChanged();
    const CConnectionData* FindEntry(const QString& name) const;

    CQueryDocument& m_document;
    bool m_waitForFirstPaint = true;
    bool m_rebuilding = false;
};
