#pragma once

#include "results/CGridRows.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

class CGridComparison;
class CResultSet;

// The table of the "Result Sets" page: the rows of one result set of every connection that
// returned it, in the store where they are. Column 0 names the connection; the others are the
// connections' columns merged by name. A NULL reads as a grey "NULL", a column a connection did
// not return as an empty hatched cell, a value cut at the long-text limit ends in "…". Sorting
// and filtering order row numbers only.
class CResultGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // What a cell holds, for those that draw or copy it: a CGridRows::State.
    static constexpr int StateRole = Qt::UserRole + 1;
    // The value as the connection gave it, without any marker; empty for NULL and absent.
    static constexpr int ValueRole = Qt::UserRole + 2;
    // True for a value cut at the long-text limit.
    static constexpr int CutRole = Qt::UserRole + 3;

    explicit CResultGridModel(QObject* parent = nullptr);

    // Shows these sets (one connection's each), keeping the filter, and the sort order too
    // when `keepOrder`.
    void SetSets(std::vector<const CResultSet*> sets, bool keepOrder = true);
    // Shows nothing: before the store's rows go.
    void Clear();
    // Takes in the rows that arrived since: an unsorted, unfiltered grid shows them at its end;
    // a sorted or filtered one keeps the rows it had until it is sorted or filtered again.
    void TakeNewRows();

    const CGridRows& Rows() const { return m_rows; }
    // The grid's row number in Rows() of row `row` of the table.
    qint64 RowAt(int row) const;
    // Every row the store holds for the sets, shown or not.
    qint64 TotalRows() const { return m_rows.Count(); }
    // The column's name without the mark for connections that lack it.
    QString ColumnName(int column) const;

    // Rows holding the text in any value (without regard to case); empty shows all.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_filter; }

    // Colours rows and values by a comparison of the sets shown, which must outlive its use
    // here; none shows the rows plain.
    void SetComparison(const CGridComparison* comparison);
    // Only the rows a comparison found not the same.
    void SetDifferencesOnly(bool on);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // Filter, then sort, into m_order; none of them leaves m_order empty: the rows in place.
    void Reorder();
    bool Ordered() const
    {
        return !m_filter.isEmpty() || m_sortColumn >= 0 || (m_comparison && m_differencesOnly);
    }
    QVariant CellData(const CGridRows::Cell& cell, int column, int role) const;
    // What a comparison says of the cell, for `role`; nothing without one.
    QVariant ComparedData(qint64 row, int column, int role) const;

    CGridRows m_rows;
    std::vector<qint64> m_order;
    int m_shown = 0;
    QString m_filter;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    const CGridComparison* m_comparison = nullptr;
    bool m_differencesOnly = false;
};
