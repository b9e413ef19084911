#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Which columns of two result sets are the same column: names compared case-insensitively, the
// n-th column of a name on one side paired with the n-th of that name on the other. Columns
// come in the reference's order.
class CColumnPairing
{
public:
    struct Pair
    {
        int reference; // index among the reference's columns
        int other;     // index among the other set's columns
    };

    CColumnPairing(const QStringList& reference, const QStringList& other);

    const std::vector<Pair>& Common() const { return m_common; }
    // Names of the columns that only one side has, in that side's order.
    const QStringList& OnlyInReference() const { return m_onlyInReference; }
    const QStringList& OnlyInOther() const { return m_onlyInOther; }
    // The index in Common() of the first pair whose name is `name` (any case); -1 for none.
    int Find(const QString& name) const;

private:
    std::vector<Pair> m_common;
    QStringList m_names; // of the common columns, as the reference spells them
    QStringList m_onlyInReference;
    QStringList m_onlyInOther;
};
