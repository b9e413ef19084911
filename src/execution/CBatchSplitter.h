#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Cuts SQL text into batches at a separator that stands on its own between white space (tab, line
// feed, carriage return, space) or the ends of the text still to be cut, and outside every string
// literal, quoted name and comment (CSqlScanner): a separator inside one of those never cuts, and
// one left open keeps the rest of the text whole. Batches are not trimmed.
class CBatchSplitter
{
public:
    // How the caller follows and interrupts a split; any of them may be empty.
    struct Hooks
    {
        std::function<bool()> stopRequested;
        // 0 when the search begins, then each multiple of 100 batches.
        std::function<void(int)> showCount;
        // true before the search begins, false when it has ended.
        std::function<void(bool)> showProgress;
        // After each showCount of a multiple of 100: lets the caller's display catch up.
        std::function<void()> waitForIdle;
    };

    // Fills `batches` (emptied first). The text after the last cut is always the last batch, even
    // when empty; an empty separator gives the whole text as one batch. False for an empty text or
    // when a stop request cut the split short; the batches cut so far, and the rest of the text
    // as one more batch, stay in `batches` then.
    static bool Split(const QString& text, const QString& separator, QStringList& batches,
                      const Hooks& hooks = {});
};
