#include "compare/CSetComparison.h"

#include "execution/CResultSet.h"

#include <QHashFunctions>

#include <bit>

namespace {

// Keys with the same values more often than this are paired as they come: a search for a row
// that also has the other values would make a set of one repeated key quadratic.
constexpr int kMaxKeyCandidates = 64;

constexpr quint64 kNullHash = 0x6a09e667f3bcc909ULL;

quint64 Mix(quint64 h)
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

QString Rows(qsizetype count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// `one` and `many` with %1 for the names.
QString ColumnList(const QStringList& names, const char* one, const char* many)
{
    return QString::fromLatin1(names.size() == 1 ? one : many).arg(names.join(u", "));
}

} // namespace

CSetComparison::CSetComparison(const CResultSet& reference, const CResultSet& other,
                               const QStringList& keyColumns)
    : m_reference(reference), m_other(other), m_columns(reference.Columns(), other.Columns())
{
    if (m_columns.Common().empty()) {
        m_problem = QStringLiteral("no column in common");
    } else if (ResolveKeys(keyColumns)) {
        m_referenceStatus.assign(size_t(reference.RowCount()), RowStatus::Pending);
        m_otherStatus.assign(size_t(other.RowCount()), RowStatus::Pending);
        m_hashedLength.assign(m_keys.size(), std::numeric_limits<qsizetype>::max());
        return;
    }
    m_phase = Phase::Done;
}

bool CSetComparison::ResolveKeys(const QStringList& keyColumns)
{
    const int common = int(m_columns.Common().size());
    std::vector<bool> isKey(size_t(common), false);
    for (const QString& name : keyColumns) {
        const int index = m_columns.Find(name);
        if (index >= 0) {
            isKey[size_t(index)] = true;
            m_keyed = true;
        } else if (m_columns.OnlyInReference().contains(name, Qt::CaseInsensitive)) {
            m_problem = QStringLiteral("no key column %1 here").arg(name);
        } else if (m_columns.OnlyInOther().contains(name, Qt::CaseInsensitive)) {
            m_problem = QStringLiteral("the reference has no key column %1").arg(name);
        }
        // A key neither side has is another result set's.
    }
    if (!m_problem.isEmpty()) {
        return false;
    }
    for (int i = 0; i < common; ++i) {
        (isKey[size_t(i)] || !m_keyed ? m_keys : m_values).push_back(i);
    }
    return true;
}

qsizetype CSetComparison::RowsOf(Phase phase) const
{
    switch (phase) {
    case Phase::ScanCuts:
        return m_reference.RowCount() + m_other.RowCount();
    case Phase::Build:
    case Phase::Finish:
        return m_reference.RowCount();
    case Phase::Probe:
        return m_other.RowCount();
    case Phase::Done:
        break;
    }
    return 0;
}

qsizetype CSetComparison::TotalWork() const
{
    if (!m_problem.isEmpty()) {
        return 0;
    }
    return RowsOf(Phase::ScanCuts) + RowsOf(Phase::Build) + RowsOf(Phase::Probe) +
           RowsOf(Phase::Finish);
}

bool CSetComparison::Step(qsizetype& budget)
{
    while (m_phase != Phase::Done) {
        if (m_cursor >= RowsOf(m_phase)) {
            Advance();
            continue;
        }
        if (budget <= 0) {
            break;
        }
        switch (m_phase) {
        case Phase::ScanCuts:
            ScanCutsRow(m_cursor);
            break;
        case Phase::Build:
            // Backwards, each row to the head of its chain: the chains run in row order, so
            // that duplicates pair up in the order they came.
            BuildRow(m_reference.RowCount() - 1 - m_cursor);
            break;
        case Phase::Probe:
            ProbeRow(m_cursor);
            break;
        case Phase::Finish:
            FinishRow(m_cursor);
            break;
        case Phase::Done:
            break;
        }
        ++m_cursor;
        ++m_workDone;
        --budget;
    }
    return Done();
}

void CSetComparison::Advance()
{
    m_cursor = 0;
    switch (m_phase) {
    case Phase::ScanCuts: {
        const qsizetype rows = m_reference.RowCount();
        const quint64 buckets = std::bit_ceil(quint64(qMax<qsizetype>(rows * 2, 16)));
        m_mask = buckets - 1;
        m_heads.assign(size_t(buckets), kNone);
        m_next.assign(size_t(rows), kNone);
        m_hashes.assign(size_t(rows), 0);
        m_phase = Phase::Build;
        break;
    }
    case Phase::Build:
        m_phase = Phase::Probe;
        break;
    case Phase::Probe:
        m_phase = Phase::Finish;
        break;
    case Phase::Finish:
        m_heads = {};
        m_next = {};
        m_hashes = {};
        m_phase = Phase::Done;
        break;
    case Phase::Done:
        break;
    }
}

void CSetComparison::ScanCutsRow(qsizetype cursor)
{
    const bool reference = cursor < m_reference.RowCount();
    const CResultSet& set = reference ? m_reference : m_other;
    const qsizetype row = reference ? cursor : cursor - m_reference.RowCount();
    const CMarkTable::Marks marks = (reference ? m_reference : m_other).Marks(row);
    if (!marks.Any()) {
        return;
    }
    for (size_t k = 0; k < m_keys.size(); ++k) {
        const CColumnPairing::Pair& pair = m_columns.Common()[size_t(m_keys[k])];
        const int column = reference ? pair.reference : pair.other;
        if (marks.IsCut(column)) {
            m_hashedLength[k] = qMin(m_hashedLength[k], set.Value(row, column).size());
        }
    }
}

quint64 CSetComparison::KeyHash(const CRowCells& cells, bool reference) const
{
    quint64 h = 0;
    for (size_t k = 0; k < m_keys.size(); ++k) {
        const CColumnPairing::Pair& pair = m_columns.Common()[size_t(m_keys[k])];
        const CCell cell = cells.Cell(reference ? pair.reference : pair.other);
        // Values cut short are equal to any that start alike: a hash reads no further than
        // the shortest cut value of its column shows.
        const quint64 value =
            cell.null ? kNullHash
                      : quint64(qHash(cell.text.first(qMin(cell.text.size(), m_hashedLength[k])),
                                      size_t(k)));
        h = Mix(h ^ value) + k;
    }
    return Mix(h);
}

bool CSetComparison::Equal(const std::vector<int>& columns, const CRowCells& ref,
                           const CRowCells& other) const
{
    for (const int c : columns) {
        const CColumnPairing::Pair& pair = m_columns.Common()[size_t(c)];
        if (!CCell::Equal(ref.Cell(pair.reference), other.Cell(pair.other))) {
            return false;
        }
    }
    return true;
}

void CSetComparison::BuildRow(qsizetype row)
{
    m_cells.Read(m_reference, row, m_reference.Marks(row));
    const quint64 h = KeyHash(m_cells, true);
    m_hashes[size_t(row)] = h;
    quint32& head = m_heads[size_t(h & m_mask)];
    m_next[size_t(row)] = head;
    head = quint32(row);
}

void CSetComparison::ProbeRow(qsizetype row)
{
    m_cells.Read(m_other, row, m_other.Marks(row));
    const quint64 h = KeyHash(m_cells, false);
    quint32* link = &m_heads[size_t(h & m_mask)];
    quint32* firstKeyMatch = nullptr;
    int keyMatches = 0;
    while (*link != kNone) {
        const quint32 candidate = *link;
        if (m_hashes[candidate] == h) {
            m_candidateCells.Read(m_reference, candidate);
            if (Equal(m_keys, m_candidateCells, m_cells)) {
                if (!m_keyed || Equal(m_values, m_candidateCells, m_cells)) {
                    Match(link, candidate, row, true);
                    return;
                }
                if (!firstKeyMatch) {
                    firstKeyMatch = link;
                }
                if (++keyMatches >= kMaxKeyCandidates) {
                    break;
                }
            }
        }
        link = &m_next[candidate];
    }
    if (firstKeyMatch) {
        const quint32 candidate = *firstKeyMatch;
        m_candidateCells.Read(m_reference, candidate);
        Match(firstKeyMatch, candidate, row, false);
        return;
    }
    m_otherStatus[size_t(row)] = RowStatus::OnlyHere;
    ++m_onlyHere;
}

void CSetComparison::Match(quint32* link, quint32 refRow, qsizetype otherRow, bool same)
{
    *link = m_next[refRow];
    const RowStatus status = same ? RowStatus::Same : RowStatus::Differ;
    m_referenceStatus[refRow] = status;
    m_otherStatus[size_t(otherRow)] = status;
    if (same) {
        ++m_same;
    } else {
        ++m_differ;
        m_referencePartner.insert(refRow, otherRow);
        m_otherPartner.insert(otherRow, refRow);
    }
    CountCuts(m_candidateCells, m_cells);
}

void CSetComparison::CountCuts(const CRowCells& ref, const CRowCells& other)
{
    for (const CColumnPairing::Pair& pair : m_columns.Common()) {
        if (ref.Cell(pair.reference).cut || other.Cell(pair.other).cut) {
            ++m_cutCells;
        }
    }
}

void CSetComparison::FinishRow(qsizetype row)
{
    if (m_referenceStatus[size_t(row)] == RowStatus::Pending) {
        m_referenceStatus[size_t(row)] = RowStatus::Missing;
        ++m_missing;
    }
}

bool CSetComparison::Agrees() const
{
    return Done() && m_problem.isEmpty() && m_onlyHere == 0 && m_missing == 0 && m_differ == 0 &&
           m_columns.OnlyInReference().isEmpty() && m_columns.OnlyInOther().isEmpty();
}

QString CSetComparison::Summary(const QString& referenceName) const
{
    if (!m_problem.isEmpty()) {
        return QStringLiteral("cannot compare: %1").arg(m_problem);
    }
    if (!Done()) {
        return QStringLiteral("not compared to the end");
    }
    QStringList parts;
    if (m_onlyHere > 0) {
        parts << Rows(m_onlyHere, "row only here", "rows only here");
    }
    if (m_differ > 0) {
        parts << Rows(m_differ, "row differs", "rows differ");
    }
    if (m_missing > 0) {
        parts << Rows(m_missing, "missing", "missing");
    }
    if (!m_columns.OnlyInReference().isEmpty()) {
        parts << ColumnList(m_columns.OnlyInReference(), "lacks column %1", "lacks columns %1");
    }
    if (!m_columns.OnlyInOther().isEmpty()) {
        parts << ColumnList(m_columns.OnlyInOther(), "column %1 only here", "columns %1 only here");
    }
    if (parts.isEmpty()) {
        return QStringLiteral("same as %1").arg(referenceName);
    }
    return parts.join(u", ");
}

RowStatus CSetComparison::Status(CompareSide side, qsizetype row) const
{
    const std::vector<RowStatus>& status =
        side == CompareSide::Reference ? m_referenceStatus : m_otherStatus;
    return row >= 0 && size_t(row) < status.size() ? status[size_t(row)] : RowStatus::Pending;
}

qsizetype CSetComparison::Partner(CompareSide side, qsizetype row) const
{
    const auto& partners = side == CompareSide::Reference ? m_referencePartner : m_otherPartner;
    return partners.value(row, -1);
}

QList<int> CSetComparison::DifferingColumns(CompareSide side, qsizetype row) const
{
    const qsizetype partner = Partner(side, row);
    if (partner < 0) {
        return {};
    }
    const bool reference = side == CompareSide::Reference;
    CRowCells ref;
    CRowCells other;
    ref.Read(m_reference, reference ? row : partner);
    other.Read(m_other, reference ? partner : row);
    QList<int> columns;
    for (const int v : m_values) {
        const CColumnPairing::Pair& pair = m_columns.Common()[size_t(v)];
        if (!CCell::Equal(ref.Cell(pair.reference), other.Cell(pair.other))) {
            columns << (reference ? pair.reference : pair.other);
        }
    }
    return columns;
}
