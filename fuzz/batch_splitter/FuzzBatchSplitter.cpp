// Splits arbitrary SQL at an arbitrary separator and checks what a run relies on: the batches put
// back together with the separator are the text, every cut stands alone between white space and
// outside every quote and comment, no separator the search passed over inside a batch would have
// cut, and a stop request keeps the batches cut so far and hands back the rest whole. Which
// characters are quoted or commented is worked out here a second way, one character at a time.
//
// Input: one byte choosing when the stop request comes (its value modulo 8 is the call of the
// stop hook that answers yes; 0 never does), then the separator up to the first line feed, then
// the text. "0GO\nselect 1\nGO\nselect 2" is a script cut at GO that is never stopped.

#include "execution/CBatchSplitter.h"
#include "execution/CSqlScanner.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

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

enum class Mark
{
    Free,
    Quote,
    Comment,
    ExecutedComment
};

bool IsNamePart(QChar c)
{
    return c.unicode() >= 0x80 || (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'_'));
}

// The dollar-quote tag ("$$", "$body$") starting at `at`, or empty.
QString DollarTag(const QString& text, qsizetype at)
{
    if (at > 0 && (IsNamePart(text[at - 1]) || text[at - 1] == u'$')) {
        return {};
    }
    qsizetype end = at + 1;
    if (end < text.size() && !(text[end].unicode() < 0x80 && text[end].isDigit())) {
        while (end < text.size() && IsNamePart(text[end])) {
            ++end;
        }
    }
    return end < text.size() && text[end] == u'$' ? text.mid(at, end + 1 - at) : QString();
}

// Every character's mark, one state change at a time.
std::vector<Mark> MarkText(const QString& text)
{
    std::vector<Mark> marks(size_t(text.size()), Mark::Free);
    QChar close; // the quote being read, or none
    QString tag; // the dollar quote being read
    bool escapes = false, line = false, block = false;
    Mark comment = Mark::Comment;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (line) {
            line = c != u'\n';
            marks[size_t(i)] = line ? Mark::Comment : Mark::Free;
            continue;
        }
        if (block) {
            marks[size_t(i)] = comment;
            if (c == u'*' && next == u'/') {
                marks[size_t(++i)] = comment;
                block = false;
            }
            continue;
        }
        if (!tag.isEmpty()) {
            if (QStringView(text).sliced(i).startsWith(tag)) {
                for (qsizetype k = 0; k < tag.size(); ++k) {
                    marks[size_t(i + k)] = Mark::Quote;
                }
                i += tag.size() - 1;
                tag.clear();
            } else {
                marks[size_t(i)] = Mark::Quote;
            }
            continue;
        }
        if (!close.isNull()) {
            marks[size_t(i)] = Mark::Quote;
            if (escapes && c == u'\\' && i + 1 < text.size()) {
                marks[size_t(++i)] = Mark::Quote;
            } else if (c == close && next == close) {
                marks[size_t(++i)] = Mark::Quote;
            } else if (c == close) {
                close = QChar();
            }
            continue;
        }
        const QString dollar = c == u'$' ? DollarTag(text, i) : QString();
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            close = c == u'[' ? QChar(u']') : c;
            escapes = c == u'\'' || c == u'"';
            marks[size_t(i)] = Mark::Quote;
        } else if (c == u'-' && next == u'-') {
            line = true;
            marks[size_t(i)] = Mark::Comment;
        } else if (c == u'/' && next == u'*') {
            block = true;
            const QStringView body = QStringView(text).sliced(i + 2);
            comment = body.startsWith(u'!') || body.startsWith(u"M!") ? Mark::ExecutedComment
                                                                      : Mark::Comment;
            marks[size_t(i)] = comment;
            marks[size_t(i + 1)] = comment;
            ++i;
        } else if (!dollar.isEmpty()) {
            for (qsizetype k = 0; k < dollar.size(); ++k) {
                marks[size_t(i + k)] = Mark::Quote;
            }
            i += dollar.size() - 1;
            tag = dollar;
        }
    }
    return marks;
}

// The occurrence at `at` is a cut when blanks, or the ends of the text still to be cut (which
// begins at `rest`), lie on both sides of it.
bool CutsAt(const QString& text, const QString& separator, qsizetype rest, qsizetype at)
{
    const qsizetype after = at + separator.size();
    return (at == rest || IsBlank(text[at - 1])) && (after == text.size() || IsBlank(text[after]));
}

bool AllFree(const std::vector<Mark>& marks, qsizetype at, qsizetype length)
{
    for (qsizetype k = at; k < at + length; ++k) {
        if (marks[size_t(k)] != Mark::Free) {
            return false;
        }
    }
    return true;
}

void CheckBatches(const QString& text, const QString& separator, const QStringList& batches)
{
    if (batches.join(separator) != text) {
        Fail("the batches and separators do not make up the text");
    }
    const std::vector<Mark> marks = MarkText(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < batches.size(); ++i) {
        const qsizetype end = start + batches[i].size();
        // Occurrences inside the batch, found as the search finds them (left to right, each
        // stepped over whole, a quote or comment passed over with the one inside it), must all
        // be ones that do not cut.
        qsizetype from = start;
        for (qsizetype at = text.indexOf(separator, from); at >= 0 && at < end;
             at = text.indexOf(separator, from)) {
            from = at + separator.size();
            if (marks[size_t(at)] != Mark::Free) {
                for (from = at; from < text.size() && marks[size_t(from)] != Mark::Free; ++from) {
                }
                continue;
            }
            if (AllFree(marks, at, separator.size()) && CutsAt(text, separator, start, at)) {
                Fail("a separator that stands alone outside quotes and comments was not cut");
            }
        }
        if (i + 1 < batches.size()) {
            if (from > end) {
                Fail("a cut inside a separator that was stepped over");
            }
            if (!CutsAt(text, separator, start, end)) {
                Fail("cut at a separator that does not stand alone");
            }
            if (!AllFree(marks, end, separator.size())) {
                Fail("cut inside a quote or a comment");
            }
        }
        start = end + separator.size();
    }
}

// Blank: nothing but white space and comments, none of them one that MariaDB executes.
void CheckBlank(const QString& text)
{
    const std::vector<Mark> marks = MarkText(text);
    bool blank = true;
    for (qsizetype i = 0; i < text.size() && blank; ++i) {
        const Mark mark = marks[size_t(i)];
        blank = mark == Mark::Comment || (mark == Mark::Free && text[i].isSpace());
    }
    if (CSqlScanner::IsBlank(text) != blank) {
        Fail("a text of white space and comments judged wrongly");
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
    CheckBlank(text);
    if (stopCall != 0) {
        CheckStop(text, separator, batches, stopCall);
    }
    CheckCounts(text, separator, batches);
    return 0;
}
