#include "compare/CColumnPairing.h"

CColumnPairing::CColumnPairing(const QStringList& reference, const QStringList& other)
{
    std::vector<bool> taken(size_t(other.size()), false);
    for (int r = 0; r < reference.size(); ++r) {
        int match = -1;
        for (int o = 0; o < other.size() && match < 0; ++o) {
            if (!taken[size_t(o)] && reference[r].compare(other[o], Qt::CaseInsensitive) == 0) {
                match = o;
            }
        }
        if (match < 0) {
            m_onlyInReference << reference[r];
            continue;
        }
        taken[size_t(match)] = true;
        m_common.push_back({r, match});
        m_names << reference[r];
    }
    for (int o = 0; o < other.size(); ++o) {
        if (!taken[size_t(o)]) {
            m_onlyInOther << other[o];
        }
    }
}

int CColumnPairing::Find(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}
