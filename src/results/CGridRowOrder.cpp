#include "results/CGridRowOrder.h"

#include "results/CGridRows.h"

#include <algorithm>
#include <numeric>

namespace GridRowOrder {

namespace {

// Rank 0 absent, 1 NULL, 2 a value; the number or the case-folded text decides among values.
struct Keys
{
    std::vector<quint8> ranks;
    std::vector<QString> texts;
    std::vector<double> numbers;
    bool numeric = true;
};

Keys Extract(const CGridRows& grid, const std::vector<qint64>& rows, int column)
{
    Keys keys;
    keys.ranks.reserve(rows.size());
    keys.texts.reserve(rows.size());
    for (const qint64 row : rows) {
        CGridRows::Cell cell = grid.CellAt(row, column);
        keys.ranks.push_back(cell.state == CGridRows::State::Absent ? 0
                             : cell.state == CGridRows::State::Null ? 1
                                                                    : 2);
        keys.texts.push_back(std::move(cell.text));
    }
    keys.numeric = column != 0;
    for (size_t i = 0; keys.numeric && i < rows.size(); ++i) {
        if (keys.ranks[i] == 2) {
            bool ok = false;
            keys.numbers.push_back(QStringView(keys.texts[i]).trimmed().toDouble(&ok));
            keys.numeric = ok;
        } else {
            keys.numbers.push_back(0);
        }
    }
    if (keys.numeric) {
        keys.texts = {};
    } else {
        // Folded once here, not at each of the sort's n log n comparisons.
        for (QString& text : keys.texts) {
            text = std::move(text).toCaseFolded();
        }
    }
    return keys;
}

} // namespace

std::vector<qint64> All(qint64 count)
{
    std::vector<qint64> rows(size_t(std::max<qint64>(count, 0)));
    std::iota(rows.begin(), rows.end(), qint64(0));
    return rows;
}

std::vector<qint64> Filter(const CGridRows& grid, const std::vector<qint64>& rows,
                           const QString& needle)
{
    if (needle.isEmpty()) {
        return rows;
    }
    std::vector<qint64> kept;
    for (const qint64 row : rows) {
        if (grid.RowContains(row, needle)) {
            kept.push_back(row);
        }
    }
    return kept;
}

void Sort(const CGridRows& grid, std::vector<qint64>& rows, int column, Qt::SortOrder order)
{
    if (column < 0 || column >= grid.ColumnCount() || rows.empty()) {
        return;
    }
    if (column == 0) {
        // By connection in their order in the grid, which the row numbers already follow.
        std::stable_sort(rows.begin(), rows.end(), [&grid, order](qint64 a, qint64 b) {
            const int sa = grid.SourceOf(a).set;
            const int sb = grid.SourceOf(b).set;
            return order == Qt::AscendingOrder ? sa < sb : sb < sa;
        });
        return;
    }
    const Keys keys = Extract(grid, rows, column);
    std::vector<size_t> positions(rows.size());
    std::iota(positions.begin(), positions.end(), size_t(0));
    const auto less = [&keys](size_t a, size_t b) {
        if (keys.ranks[a] != keys.ranks[b]) {
            return keys.ranks[a] < keys.ranks[b];
        }
        if (keys.ranks[a] != 2) {
            return false;
        }
        if (keys.numeric) {
            return keys.numbers[a] < keys.numbers[b];
        }
        return keys.texts[a] < keys.texts[b];
    };
    if (order == Qt::AscendingOrder) {
        std::stable_sort(positions.begin(), positions.end(), less);
    } else {
        std::stable_sort(positions.begin(), positions.end(),
                         [&less](size_t a, size_t b) { return less(b, a); });
    }
    std::vector<qint64> sorted;
    sorted.reserve(rows.size());
    for (const size_t position : positions) {
        sorted.push_back(rows[position]);
    }
    rows = std::move(sorted);
}

} // namespace GridRowOrder
