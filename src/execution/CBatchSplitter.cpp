#include "execution/CBatchSplitter.h"

#include "execution/CSqlScanner.h"

namespace {

constexpr qsizetype kCountStep = 100;

bool IsWhiteSpace(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

bool StopRequested(const CBatchSplitter::Hooks& hooks)
{
    return hooks.stopRequested && hooks.stopRequested();
}

void ShowProgress(const CBatchSplitter::Hooks& hooks, bool shown)
{
    if (hooks.showProgress) {
        hooks.showProgress(shown);
    }
}

void ShowCount(const CBatchSplitter::Hooks& hooks, qsizetype count)
{
    if (hooks.showCount) {
        hooks.showCount(int(count));
    }
}

void ReportBatchCount(const CBatchSplitter::Hooks& hooks, qsizetype count)
{
    if (count % kCountStep != 0) {
        return;
    }
    ShowCount(hooks, count);
    if (hooks.waitForIdle) {
        hooks.waitForIdle();
    }
}

// The separator at `at` cuts when white space or an end of the text still to be cut (which
// begins at `rest`) lies on each side of it. The start of that text counts as an end even though
// the previous separator stands just before it in `text`.
bool StandsAlone(const QString& text, qsizetype rest, qsizetype at, qsizetype length)
{
    const qsizetype after = at + length;
    return (at == rest || IsWhiteSpace(text[at - 1])) &&
           (after >= text.size() || IsWhiteSpace(text[after]));
}

// Searches forward only: a separator that does not cut is stepped over whole, one inside a quote
// or a comment is passed over with it, and the search after a cut starts where the text still to
// be cut begins, so no character is looked at twice.
bool CutAtSeparators(const QString& text, const QString& separator, QStringList& batches,
                     const CBatchSplitter::Hooks& hooks)
{
    CSqlScanner scanner(text);
    qsizetype rest = 0;
    qsizetype from = 0;
    bool stopped = false;
    while (!stopped) {
        const qsizetype at = text.indexOf(separator, from, Qt::CaseSensitive);
        if (at < 0) {
            break;
        }
        from = at + separator.size();
        const CSqlScanner::Stretch quiet = scanner.QuietAfter(at);
        if (quiet.start <= at) {
            from = quiet.end;
            continue;
        }
        if (quiet.start < from || !StandsAlone(text, rest, at, separator.size())) {
            continue;
        }
        batches.append(text.sliced(rest, at - rest));
        rest = from;
        ReportBatchCount(hooks, batches.size());
        stopped = StopRequested(hooks);
    }
    ShowProgress(hooks, false);
    batches.append(text.sliced(rest));
    return !stopped;
}

} // namespace

bool CBatchSplitter::Split(const QString& text, const QString& separator, QStringList& batches,
                           const Hooks& hooks)
{
    batches.clear();
    if (text.isEmpty() || StopRequested(hooks)) {
        return false;
    }
    if (separator.isEmpty()) {
        batches.append(text);
        return true;
    }
    ShowCount(hooks, 0);
    ShowProgress(hooks, true);
    return CutAtSeparators(text, separator, batches, hooks);
}
