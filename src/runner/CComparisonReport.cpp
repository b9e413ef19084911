#include "runner/CComparisonReport.h"

#include "compare/CResultComparison.h"
#include "execution/CResultSet.h"
#include "runner/RunnerCommands.h"

#include <algorithm>

int CComparisonReport::Write(const CResultStore& store, const QStringList& connections,
                             const QStringList& failed)
{
    bool differ = false;
    bool first = true;
    const std::vector<CResultSetGroups::Group> groups = CResultSetGroups::Of(store, connections);
    for (const CResultSetGroups::Group& group : groups) {
        if (!first) {
            Line({});
        }
        first = false;
        const CResultSet& reference = *group.sets.front();
        Line(QStringLiteral("Batch %1, result %2: %3")
                 .arg(group.batch + 1)
                 .arg(group.result + 1)
                 .arg(reference.Columns().join(u", ")));
        CResultComparison comparison(group.sets, 0, m_keyColumns);
        comparison.Run();
        for (const QString& connection : connections) {
            const auto at = std::find_if(
                group.sets.begin(), group.sets.end(),
                [&connection](const CResultSet* set) { return set->Connection() == connection; });
            if (at == group.sets.end()) {
                const bool failure = failed.contains(connection);
                differ = differ || !failure;
                Line(QStringLiteral("  %1: %2")
                         .arg(connection, failure ? u"failed before this result set"_qs
                                                  : u"returned no such result set"_qs));
                continue;
            }
            Line(QStringLiteral("  %1: %2")
                     .arg(connection, Summary(comparison, at - group.sets.begin())));
        }
        differ = differ || !comparison.AllAgree();
    }
    if (!KeysFound(groups)) {
        return ExitUsageOrFileError;
    }
    return differ ? ExitResultsDiffer : ExitOk;
}

bool CComparisonReport::KeysFound(const std::vector<CResultSetGroups::Group>& groups) const
{
    bool found = true;
    for (const QString& key : m_keyColumns) {
        const bool inSome = std::any_of(groups.begin(), groups.end(), [&key](const auto& group) {
            return std::any_of(group.sets.begin(), group.sets.end(), [&key](const auto* set) {
                return set->Columns().contains(key, Qt::CaseInsensitive);
            });
        });
        if (!inSome) {
            std::fprintf(m_err, "tessella-run: --key %s: no result set has such a column\n",
                         key.toUtf8().constData());
            found = false;
        }
    }
    return found;
}

QString CComparisonReport::Summary(const CResultComparison& comparison, qsizetype index)
{
    QString summary = comparison.Summary(index);
    if (index == comparison.Reference()) {
        const qsizetype rows = comparison.Set(index).RowCount();
        return summary +
               QStringLiteral(", %1 %2").arg(rows).arg(rows == 1 ? u"row"_qs : u"rows"_qs);
    }
    if (const qsizetype cut = comparison.Against(index).CutCells(); cut > 0) {
        summary += QStringLiteral(" (%1 %2 cut short, compared as far as shown)")
                       .arg(cut)
                       .arg(cut == 1 ? u"value"_qs : u"values"_qs);
    }
    return summary;
}

void CComparisonReport::Line(const QString& text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
}
