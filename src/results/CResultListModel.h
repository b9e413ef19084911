#pragma once

#include "execution/CResultStore.h"
#include "results/CResultListState.h"

#include <QAbstractTableModel>

class CTessellaDoc;

// The "All Results" list's rows. Stores none: every cell comes from the document's result store
// when the view paints it. The row count the view sees is the announced count of the list's
// state, which runs up to 1000 rows ahead of the real rows so that it changes rarely; columns
// are added, without captions, when a wider row is painted. Changes of the count, scrolling and
// repainting are posted to the model itself, replacing one of the same kind still waiting, so a
// burst of batches costs one of each. Which rows are on screen the list tells it.
class CResultListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    CResultListModel(CTessellaDoc& document, QObject* parent = nullptr);

    CResultListState& ListState() { return m_state; }
    const CResultListState& ListState() const { return m_state; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A run begins: no rows, at most three columns, at least one.
    void ResetForRun();
    // The results window's event: the batch of a WM_ARRAY_POST goes into the document's store
    // and the list follows; false, and nothing done, for an event of any other type.
    bool TakePosted(QEvent* event);
    // After a run: the announced count comes down to the rows that exist.
    void TrimAfterRun();
    // Cell text as the list shows it; empty beyond the row's own fields.
    QString CellText(int row, int column) const;
    // Rows that really exist (the announced count may be higher).
    int RealRows() const;

public slots:
    // The list scrolled or changed its size: `top` is its first visible row, `page` how many
    // rows its viewport holds. They decide what to repaint and where to scroll.
    void SetVisibleRows(int top, int page);

signals:
    // Bring a row into view (partially visible is enough).
    void scrollRequested(int row);

protected:
    bool event(QEvent* event) override;

private:
    void BatchTaken(const CResultStore::IntakeResult& intake);
    void ApplyRowCount(int rows);
    void ApplyColumnCount(int columns);
    void RedrawPage(int first, int last);
    void AskForColumns(int columns) const;
    void TrimTail() const;

    CTessellaDoc& m_document;
    CResultListState m_state;
    int m_shownRows = 0;
    int m_shownColumns = 1;
    int m_topRow = 0;
    int m_pageRows = 0;
};
