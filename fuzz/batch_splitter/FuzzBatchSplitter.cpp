// Splits arbitrary SQL at an arbitrary separator and checks what a run relies on: the batches put
// back together with the separator are the text, every cut stands alone between white space, no
// separator the search passed over inside a batch would have cut, and a stop request keeps the
// batches cut so far and hands back the rest whole.
//
// Input: one byte choosing when the stop request comes (its value modulo 8 is the call of the
// stop hook that answers yes; 0 never does), then the separator up to the first line feed, then
// the text. "0GO\nselect 1\nGO\nselect 2" is a script cut at GO that is never stopped.

#include "CBatchSplitter.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "batch splitter: %s\n", what);
    std::abort();
}

bool IsBlank(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

// The occurrence at `at` is a cut when blanks, or the ends of the text still to be cut (which
// begins at `rest`), lie on both sides of it.
bool CutsAt(const QString& text, const QString& separator, qsizetype rest, qsizetype at)
{
    const qsizetype after = at + separator.size();
    return (at == rest || IsBlank(text[at - 1])) && (after == text.size() || IsBlank(text[after]));
}

void CheckBatches(const QString& text, const QString& separator, const QStringList& batches)
{
    if (batches.join(separator) != text) {
        Fail("the batches and separators do not make up the text");
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < batches.size(); ++i) {
        const qsizetype end = start + batches[i].size();
        // Occurrences inside the batch, found as the search finds them (left to right, each
        // stepped over whole), must all be ones that do not cut.
        qsizetype from = start;
        for (qsizetype at = text.indexOf(separator, from); at >= 0 && at < end;
             at = text.indexOf(separator, from)) {
            if (CutsAt(text, separator, start, at)) {
                Fail("a separator that stands alone was not cut");
            }
            from = at + separator.size();
        }
        if (i + 1 < batches.size()) {
            if (from > end) {
                Fail("a cut inside a separator that was stepped over");
            }
            if (!CutsAt(text, separator, start, end)) {
                Fail("cut at a separator that does not stand alone");
            }
        }
        start = end + separator.size();
    }
}

void CheckStop(const QString& text, const QString& separator, const QStringList& whole,
               int stopCall)
{
    int calls = 0;
    CBatchSplitter::Hooks hooks;
    hooks.stopRequested = [&] { return ++calls == stopCall; };
    QStringList batches;
    const bool finished = CBatchSplitter::Split(text, separator, batches, hooks);
    // The first call comes before the search, then one after every cut.
    const qsizetype cuts = whole.size() - 1;
    if (stopCall == 1) {
        if (finished || !batches.isEmpty()) {
            Fail("a stop before the search still split");
        }
        return;
    }
    if (stopCall - 1 > cuts) {
        if (!finished || batches != whole) {
            Fail("a stop request that never came changed the split");
        }
        return;
    }
    const qsizetype kept = stopCall - 1;
    if (finished || batches.size() != kept + 1 || batches.mid(0, kept) != whole.mid(0, kept) ||
        batches.back() != whole.mid(kept).join(separator)) {
        Fail("a stop lost or changed text");
    }
}

void CheckCounts(const QString& text, const QString& separator, const QStringList& whole)
{
    QList<int> counts;
    QList<bool> progress;
    CBatchSplitter::Hooks hooks;
    hooks.showCount = [&](int count) { counts.append(count); };
    hooks.showProgress = [&](bool shown) { progress.append(shown); };
    QStringList batches;
    CBatchSplitter::Split(text, separator, batches, hooks);
    const qsizetype cuts = whole.size() - 1;
    if (counts.isEmpty() || counts.front() != 0 || counts.size() != 1 + cuts / 100) {
        Fail("batch counts shown wrongly");
    }
    if (progress != QList<bool>{true, false}) {
        Fail("progress not shown and hidden once");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) {
        return 0;
    }
    const int stopCall = data[0] % 8;
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const qsizetype newline = input.indexOf(u'\n');
    if (newline < 0) {
        return 0;
    }
    const QString separator = input.left(newline);
    const QString text = input.mid(newline + 1);

    QStringList batches;
    const bool finished = CBatchSplitter::Split(text, separator, batches);
    if (text.isEmpty()) {
        if (finished || !batches.isEmpty()) {
            Fail("an empty text gave batches");
        }
        return 0;
    }
    if (!finished) {
        Fail("a split nobody stopped did not finish");
    }
    if (separator.isEmpty()) {
        if (batches != QStringList{text}) {
            Fail("without a separator the text is not one batch");
        }
        return 0;
    }
    CheckBatches(text, separator, batches);
    if (stopCall != 0) {
        CheckStop(text, separator, batches, stopCall);
    }
    CheckCounts(text, separator, batches);
    return 0;
}
