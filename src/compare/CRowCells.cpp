#include "compare/CRowCells.h"

#include "execution/CResultSet.h"

bool CCell::Equal(const CCell& a, const CCell& b)
{
    if (a.null || b.null) {
        return a.null && b.null;
    }
    if (!a.cut && !b.cut) {
        return a.text == b.text;
    }
    // A whole value shorter than what the other shows before its cut cannot be its start.
    if ((!a.cut && a.text.size() < b.text.size()) || (!b.cut && b.text.size() < a.text.size())) {
        return false;
    }
    const qsizetype shown = qMin(a.text.size(), b.text.size());
    return a.text.first(shown) == b.text.first(shown);
}

void CRowCells::Read(const CResultSet& set, qsizetype row)
{
    Read(set, row, set.Marks(row));
}

void CRowCells::Read(const CResultSet& set, qsizetype row, const CMarkTable::Marks& marks)
{
    m_text = set.Row(row).Text();
    m_marks = marks;
    m_starts.clear();
    m_starts.push_back(0);
    const QChar* chars = m_text.constData();
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        if (chars[i] == u'\t') {
            m_starts.push_back(i + 1);
        }
    }
    m_starts.push_back(m_text.size() + 1);
}

CCell CRowCells::Cell(int column) const
{
    CCell cell;
    if (column < 0 || size_t(column) + 1 >= m_starts.size()) {
        return cell;
    }
    const qsizetype start = m_starts[size_t(column)];
    cell.text = QStringView(m_text).sliced(start, m_starts[size_t(column) + 1] - 1 - start);
    cell.null = m_marks.IsNull(column);
    cell.cut = m_marks.IsCut(column);
    return cell;
}
