#pragma once

#include "execution/CAnnouncedCount.h"

#include <QtGlobal>

// What the "All Results" list keeps across the batches of a run: the row count it was last
// given, and "Auto scroll" with the row count at its last scroll, so that following the new rows
// costs one scroll per hundred of them. User-interface thread only.
class CResultListState
{
public:
    // A run begins: nothing announced, nothing scrolled to.
    void Reset();

    bool AutoScroll() const { return m_autoScroll; }
    void SetAutoScroll(bool on) { m_autoScroll = on; }

    // The store holds `rows` rows: true when the list should be given a new count (Announced()).
    bool Grow(qsizetype rows) { return m_announced.Grow(rows); }
    qsizetype Announced() const { return m_announced.Value(); }
    // The run is over, or the list found its tail empty: no more than `rows`.
    void TrimTo(qsizetype rows) { m_announced.TrimTo(rows); }

    // The store holds `rows` rows: true when the list should scroll to the last of them, which
    // then counts as scrolled to.
    bool TakeScroll(qsizetype rows);

private:
    static constexpr qsizetype kScrollEvery = 100;

    CAnnouncedCount m_announced;
    bool m_autoScroll = false;
    qsizetype m_lastScrollCount = 0;
};
