#pragma once

#include "results/CGridTable.h"

#include <QTableView>

#include <optional>

class CResultGridModel;

// The table view of the "Result Sets" page: sorts on a header click (by the model's own sort),
// fits its columns to a sample of the first rows, opens a row on a double-click or Enter and
// copies its selection with the edit command or its context menu.
class CResultGrid : public QTableView
{
    Q_OBJECT

public:
    explicit CResultGrid(QWidget* parent = nullptr);

    void SetGridModel(CResultGridModel* model);
    CResultGridModel* GridModel() const { return m_model; }
    // Widths from the header and the first rows, within bounds.
    void FitColumns();
    // The selected cells, as text with a header row and as an HTML table.
    void Copy();
    // The selected cells as text in a format of CGridTable::CopyFormats().
    void CopyAs(ResultFormat format);

signals:
    // A table row to show as a form.
    void rowOpened(int row);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<CGridTable> SelectedTable() const;

    CResultGridModel* m_model = nullptr;
};
