#pragma once

#include <QString>
#include <Qt>

#include <vector>

class CGridRows;

// Which rows a grid shows and in what order, as row numbers of a CGridRows.
namespace GridRowOrder {

// The rows, of `rows`, that hold `needle` (without regard to case) in any value or in their
// connection's name; an empty needle keeps them all.
std::vector<qint64> Filter(const CGridRows& grid, const std::vector<qint64>& rows,
                           const QString& needle);
// Sorts `rows` by one column, stably: each key is read once. A column whose values all read as
// numbers sorts as numbers, any other as text without regard to case; absent values come
// first, then NULLs, in ascending order.
void Sort(const CGridRows& grid, std::vector<qint64>& rows, int column, Qt::SortOrder order);
// 0 .. count - 1.
std::vector<qint64> All(qint64 count);

} // namespace GridRowOrder
