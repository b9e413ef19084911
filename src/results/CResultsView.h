#pragma once

#include <QWidget>

class CConnectionData;
class CResultsModel;
class CTessellaDoc;
class QTabWidget;
class QTableView;

// The lower pane of a document window: "All Results", the rows of every connection of the
// document, and "Connections". It is the document's results window: the query threads post
// their batches here.
class CResultsView : public QWidget
{
    Q_OBJECT

public:
    CResultsView(CTessellaDoc& document, QWidget* parent = nullptr);

    // Shows a connection entry on the "Connections" page.
    void ShowEntry(const CConnectionData& entry);
    // Brings the last result row of a connection into view, once the events waiting are done.
    void ScrollToConnectionEnd(const QString& dataSource);

    QTabWidget* Tabs() const { return m_tabs; }
    QTableView* List() const { return m_list; }
    CResultsModel* Model() const { return m_model; }

protected:
    bool event(QEvent* event) override;

private:
    void OnRunStarting();

    CTessellaDoc& m_document;
    QTabWidget* m_tabs;
    QTableView* m_list;
    CResultsModel* m_model;
};
