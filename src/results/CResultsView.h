#pragma once

#include "appbase/CCommandTarget.h"

#include <QWidget>

class CConnectionData;
class CConnectionPage;
class CListEditCtrl;
class CResultListModel;
class CResultSetsPage;
class CTessellaDoc;
class QCheckBox;
class QLabel;
class QTabWidget;

// The lower pane of a document window, with its tabs at the bottom: "All
// Results", one list of the rows of every connection of the document, grouped
// by connection, with "Auto scroll" and the "%s of %d" status text; and
// "Connections", the editor of the document's connection list; and "Result Sets",
// the grid of one result set of every connection. It is the
// document's results window: the query threads post their batches here. It
// carries the edit commands for whichever of its text boxes or its list has
// the focus.
class CResultsView : public QWidget, public CCommandTarget
{
    Q_OBJECT

public:
    CResultsView(CTessellaDoc& document, QWidget* parent = nullptr);

    // Shows a connection entry on the "Connections" page.
    void ShowEntry(const CConnectionData& entry);
    // Brings the last result row of a connection into view when the document is idle.
    void ScrollToConnectionEnd(const QString& dataSource);

    bool UpdateCommand(Command command, bool& enabled) const override;
    bool RunCommand(Command command) override;

    QTabWidget* Tabs() const { return m_tabs; }
    CListEditCtrl* List() const { return m_list; }
    CResultListModel* Model() const { return m_model; }
    CConnectionPage* ConnectionPage() const { return m_connectionPage; }
    CResultSetsPage* ResultSetsPage() const { return m_setsPage; }
    QCheckBox* AutoScroll() const { return m_autoScroll; }
    // The status text under the list, as the timer last set it.
    QString StatusText() const;
    // Sets the status text now, as the timer does every 500 ms.
    void RefreshStatus();

signals:
    // The connection list changed: the connection tree rebuilds.
    void connectionsChanged();
    // The document's content changed.
    void documentModified();
    // A text for the main window's status bar; empty for its idle text.
    void statusMessage(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    QWidget* CreateResultsPage();
    void OnRunStarting();
    void OnTabChanged(int index);
    QWidget* FocusedPaneChild() const;

    CTessellaDoc& m_document;
    QTabWidget* m_tabs = nullptr;
    CListEditCtrl* m_list = nullptr;
    CResultListModel* m_model = nullptr;
    QCheckBox* m_autoScroll = nullptr;
    QLabel* m_status = nullptr;
    CConnectionPage* m_connectionPage = nullptr;
    CResultSetsPage* m_setsPage = nullptr;
};
