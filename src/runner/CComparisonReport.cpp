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
            const qsizetype index = at - group.sets.begin();
            QString summary = comparison.Summary(index);
            if (index == comparison.Reference()) {
                summary += QStringLiteral(", %1 %2")
                               .arg(reference.RowCount())
                               .arg(reference.RowCount() == 1 ? u"row"_qs : u"rows"_qs);
            } else {
                const CSetComparison& pair = comparison.Against(index);
                if (pair.CutCells() > 0) {
                    summary += QStringLiteral(" (%1 values cut short, compared as far as shown)")
                                   .arg(pair.CutCells());
                }
            }
            Line(QStringLiteral("  %1: %2").arg(connection, summary));
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

void CComparisonReport::Line(const QString& text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
}
