#include "compare/CResultSetGroups.h"

#include "execution/CResultStore.h"

#include <algorithm>
#include <map>
#include <utility>

std::vector<CResultSetGroups::Group> CResultSetGroups::Of(const CResultStore& store,
                                                          const QStringList& connectionOrder)
{
    std::map<std::pair<int, int>, std::vector<const CResultSet*>> byPlace;
    for (qsizetype i = 0; i < store.ResultSetCount(); ++i) {
        const CResultSet& set = store.ResultSet(i);
        byPlace[{set.Batch(), set.Result()}].push_back(&set);
    }
    const auto rank = [&connectionOrder](const CResultSet* set) {
        const qsizetype at = connectionOrder.indexOf(set->Connection());
        return at < 0 ? connectionOrder.size() : at;
    };
    std::vector<Group> groups;
    for (auto& [place, sets] : byPlace) {
        std::stable_sort(
            sets.begin(), sets.end(),
            [&rank](const CResultSet* a, const CResultSet* b) { return rank(a) < rank(b); });
        groups.push_back({place.first, place.second, std::move(sets)});
    }
    return groups;
}
