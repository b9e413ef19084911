#include "results/CGridComparison.h"

#include "execution/CResultSet.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("CGridComparison", text);
}

} // namespace

CGridComparison::RowMark CGridComparison::Mark(int set, qsizetype row) const
{
    if (set != m_comparison.Reference()) {
        switch (m_comparison.Against(set).Status(CompareSide::Other, row)) {
        case RowStatus::OnlyHere:
            return RowMark::OnlyHere;
        case RowStatus::Differ:
            return RowMark::Differs;
        default:
            return RowMark::Same;
        }
    }
    // The reference's row, as each other connection saw it: missing anywhere weighs most.
    RowMark mark = RowMark::Same;
    for (qsizetype other = 0; other < m_comparison.Count(); ++other) {
        if (other == set) {
            continue;
        }
        const RowStatus status = m_comparison.Against(other).Status(CompareSide::Reference, row);
        if (status == RowStatus::Missing) {
            return RowMark::Missing;
        }
        if (status == RowStatus::Differ) {
            mark = RowMark::Differs;
        }
    }
    return mark;
}

bool CGridComparison::Differs(int set, qsizetype row, int column) const
{
    if (set != m_comparison.Reference()) {
        return m_comparison.Against(set).DifferingColumns(CompareSide::Other, row).contains(column);
    }
    for (qsizetype other = 0; other < m_comparison.Count(); ++other) {
        if (other != set && m_comparison.Against(other)
                                .DifferingColumns(CompareSide::Reference, row)
                                .contains(column)) {
            return true;
        }
    }
    return false;
}

QString CGridComparison::Note(int set, qsizetype row) const
{
    const QString reference = m_comparison.Set(m_comparison.Reference()).Connection();
    if (set != m_comparison.Reference()) {
        switch (m_comparison.Against(set).Status(CompareSide::Other, row)) {
        case RowStatus::OnlyHere:
            return Tr("Only here: %1 has no such row.").arg(reference);
        case RowStatus::Differ:
            return Tr("Differs from %1.").arg(reference);
        default:
            return {};
        }
    }
    QStringList missing;
    QStringList differ;
    for (qsizetype other = 0; other < m_comparison.Count(); ++other) {
        if (other == set) {
            continue;
        }
        const QString name = m_comparison.Set(other).Connection();
        const RowStatus status = m_comparison.Against(other).Status(CompareSide::Reference, row);
        if (status == RowStatus::Missing) {
            missing << name;
        } else if (status == RowStatus::Differ) {
            differ << name;
        }
    }
    QStringList notes;
    if (!missing.isEmpty()) {
        notes << Tr("Missing in %1.").arg(missing.join(QStringLiteral(", ")));
    }
    if (!differ.isEmpty()) {
        notes << Tr("Differs in %1.").arg(differ.join(QStringLiteral(", ")));
    }
    return notes.join(u' ');
}
