#include "results/CRunResultSets.h"

#include "execution/CResultSet.h"
#include "execution/CResultStore.h"
#include "execution/CSqlScanner.h"

#include <QCoreApplication>

#include <algorithm>

bool CRunResultSets::Update(const CResultStore& store, const QStringList& batches,
                            const QStringList& connectionOrder)
{
    const auto rank = [&connectionOrder](const CResultSet* set) {
        const qsizetype place = connectionOrder.indexOf(set->Connection());
        return place < 0 ? connectionOrder.size() : place;
    };
    const qsizetype count = store.ResultSetCount();
    const bool changed = count > m_seen;
    for (; m_seen < count; ++m_seen) {
        const CResultSet& set = store.ResultSet(m_seen);
        std::vector<const CResultSet*>& sets = GroupFor(set.Batch(), set.Result(), batches).sets;
        const auto place = std::upper_bound(
            sets.begin(), sets.end(), &set,
            [&rank](const CResultSet* a, const CResultSet* b) { return rank(a) < rank(b); });
        sets.insert(place, &set);
    }
    return changed;
}

void CRunResultSets::Clear()
{
    m_groups.clear();
    m_seen = 0;
}

qsizetype CRunResultSets::IndexOf(int batch, int result) const
{
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].batch == batch && m_groups[i].result == result) {
            return qsizetype(i);
        }
    }
    return -1;
}

CRunResultSets::Group& CRunResultSets::GroupFor(int batch, int result, const QStringList& batches)
{
    const auto place = std::lower_bound(m_groups.begin(), m_groups.end(), std::pair(batch, result),
                                        [](const Group& group, const std::pair<int, int>& key) {
                                            return std::pair(group.batch, group.result) < key;
                                        });
    if (place != m_groups.end() && place->batch == batch && place->result == result) {
        return *place;
    }
    Group group;
    group.batch = batch;
    group.result = result;
    // Read now: once rows come in, the batches are split and stay as they are for the run.
    if (batch >= 0 && batch < batches.size()) {
        group.sql = ShortSql(batches[batch]);
    }
    return *m_groups.insert(place, std::move(group));
}

QString CRunResultSets::ShortSql(const QString& sql, int length)
{
    const QStringList lines = sql.split(u'\n');
    QString first;
    bool more = false;
    for (const QString& line : lines) {
        const QString text = line.simplified();
        // A batch's leading comments say nothing of which statement it is.
        if (text.isEmpty() || (first.isEmpty() && CSqlScanner::IsBlank(text))) {
            continue;
        }
        if (!first.isEmpty()) {
            more = true;
            break;
        }
        first = text;
    }
    if (first.size() > length) {
        return first.left(length).trimmed() + QStringLiteral(" …");
    }
    return more ? first + QStringLiteral(" …") : first;
}

QString CRunResultSets::Title(const Group& group)
{
    QString title = QCoreApplication::translate("CRunResultSets", "Batch %1").arg(group.batch + 1);
    if (group.result > 0) {
        title += QCoreApplication::translate("CRunResultSets", ", result %1").arg(group.result + 1);
    }
    if (!group.sql.isEmpty()) {
        title += QStringLiteral(": ") + group.sql;
    }
    QStringList counts;
    for (const CResultSet* set : group.sets) {
        counts << QString::number(set->RowCount());
    }
    const qsizetype n = qsizetype(group.sets.size());
    const QString connections =
        n == 1 ? QCoreApplication::translate("CRunResultSets", "1 connection")
               : QCoreApplication::translate("CRunResultSets", "%1 connections").arg(n);
    const bool oneRow = n == 1 && group.sets.front()->RowCount() == 1;
    return title + QStringLiteral("  —  ") + connections + QStringLiteral(": ") +
           counts.join(QStringLiteral(", ")) +
           (oneRow ? QCoreApplication::translate("CRunResultSets", " row")
                   : QCoreApplication::translate("CRunResultSets", " rows"));
}
