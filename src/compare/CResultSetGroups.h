#pragma once

#include <QStringList>

#include <vector>

class CResultSet;
class CResultStore;

// The store's result sets gathered by what the run made of them: every connection's set of the
// same batch and result is the same result set, as given by several connections.
class CResultSetGroups
{
public:
    struct Group
    {
        int batch;
        int result;
        std::vector<const CResultSet*> sets; // a connection's first
    };

    // In batch and result order. Within a group the sets follow `connectionOrder` (group
    // titles), then the order they came in.
    static std::vector<Group> Of(const CResultStore& store,
                                 const QStringList& connectionOrder = {});
};
