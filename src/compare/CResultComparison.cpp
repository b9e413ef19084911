#include "compare/CResultComparison.h"

#include "execution/CResultSet.h"

#include <limits>

CResultComparison::CResultComparison(std::vector<const CResultSet*> sets, qsizetype reference,
                                     const QStringList& keyColumns)
    : m_sets(std::move(sets)), m_reference(reference)
{
    Q_ASSERT(reference >= 0 && reference < qsizetype(m_sets.size()));
    m_pairs.resize(m_sets.size());
    for (size_t i = 0; i < m_sets.size(); ++i) {
        if (qsizetype(i) != reference) {
            m_pairs[i] = std::make_unique<CSetComparison>(*m_sets[size_t(reference)], *m_sets[i],
                                                          keyColumns);
        }
    }
}

bool CResultComparison::Step(qsizetype budgetRows)
{
    while (!m_stopped && m_current < m_pairs.size()) {
        if (!m_pairs[m_current] || m_pairs[m_current]->Step(budgetRows)) {
            ++m_current;
            continue;
        }
        break;
    }
    return m_stopped || Done();
}

void CResultComparison::Run()
{
    Step(std::numeric_limits<qsizetype>::max());
}

bool CResultComparison::Done() const
{
    return m_current >= m_pairs.size();
}

double CResultComparison::Progress() const
{
    qsizetype total = 0;
    qsizetype done = 0;
    for (const auto& pair : m_pairs) {
        if (pair) {
            total += pair->TotalWork();
            done += pair->WorkDone();
        }
    }
    return total == 0 ? (Done() ? 1.0 : 0.0) : double(done) / double(total);
}

const CSetComparison& CResultComparison::Against(qsizetype index) const
{
    Q_ASSERT(index != m_reference);
    return *m_pairs[size_t(index)];
}

QString CResultComparison::Summary(qsizetype index) const
{
    if (index == m_reference) {
        return QStringLiteral("reference");
    }
    return Against(index).Summary(Set(m_reference).Connection());
}

bool CResultComparison::AllAgree() const
{
    for (const auto& pair : m_pairs) {
        if (pair && !pair->Agrees()) {
            return false;
        }
    }
    return true;
}
