#pragma once

#include <QtGlobal>

// The item count last given to the virtual result list. Once the list holds 100 rows it is kept
// 1000 rows ahead of the real count, so that the list's count, and with it its scroll bar, changes
// at most once per 1000 new rows; the rows beyond the real count are trimmed away after the run.
class CAnnouncedCount
{
public:
    // Announces enough for `rows` rows; true when the announced count changed.
    bool Grow(qsizetype rows);
    qsizetype Value() const { return m_value; }
    void Reset() { m_value = 0; }
    // Lowers the announced count to `rows` (not below 0); never raises it.
    void TrimTo(qsizetype rows);

private:
    static constexpr qsizetype kExactBelow = 100;
    static constexpr qsizetype kLead = 1000;

    qsizetype m_value = 0;
};
