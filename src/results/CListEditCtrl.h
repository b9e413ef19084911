#pragma once

#include <QTableView>

class CLVEdit;
class CResultListModel;

// The "All Results" list: a report view over the result model with full-row
// selection of several rows, a read-only row viewer on double-click, and Copy
// of the selected rows as tab-separated text. New columns are 100 pixels wide.
class CListEditCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CListEditCtrl(QWidget* parent = nullptr);

    void SetResultModel(CResultListModel* model);
    CResultListModel* ResultModel() const { return m_model; }

    // Puts the selected rows on the clipboard: cells separated by a tab, rows by
    // a line feed, exactly as many cells a row as the list has columns, no
    // header and no final line break. A key press during a long copy aborts it
    // and leaves the clipboard as it was. True when the clipboard was set.
    bool Copy();
    // The text Copy would put on the clipboard; empty after an abort.
    QString SelectedRowsText(bool* aborted = nullptr);
    void SelectAllRows();

    // Opens the row viewer over `row`.
    void OpenRowViewer(int row);
    CLVEdit* RowViewer() const { return m_viewer; }
    // The row viewer's text: every cell of the row joined by single blanks.
    QString RowText(int row) const;
    // The whole text of a cell that its column is too narrow to show, for its tool tip; empty
    // when the cell shows all of it.
    QString CutCellText(const QModelIndex& index) const;

signals:
    // A text for the status bar; empty for its idle text.
    void statusMessage(const QString& text);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The viewport's size changed (the scroll area passes its resizes on).
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // Tells the model which rows the viewport shows.
    void ReportVisibleRows();
    // Columns the header made without a width get the list's column width.
    void WidenNewColumns();

    CResultListModel* m_model = nullptr;
    CLVEdit* m_viewer;
};
