#pragma once

#include <QString>
#include <QStringView>

// Finds, left to right, the stretches of SQL text that a separator must never cut: string
// literals ('…' with '' inside, backslash escapes as MariaDB reads them), quoted identifiers
// ("…", `…`, […]), comments (-- to the end of the line, /* … */) and PostgreSQL's dollar-quoted
// bodies ($$…$$, $tag$…$tag$). A stretch left open runs to the end of the text, so that a
// statement whose quote never closes stays whole and fails loudly rather than run in halves.
class CSqlScanner
{
public:
    enum class Kind
    {
        Quote,
        Comment,
        ExecutedComment
    };

    struct Stretch
    {
        qsizetype start; // first character of the opening mark
        qsizetype end;   // one past the closing mark (the text's size for an open one)
        Kind kind;
    };

    // `text` must outlive the scanner.
    explicit CSqlScanner(QStringView text) : m_text(text) {}

    // The first stretch that ends after `pos`: either holding `pos` or the next one after it;
    // { size, size } when none is left. `pos` must not decrease from one call to the next.
    Stretch QuietAfter(qsizetype pos);

    // True when the text is only white space and comments: nothing a driver would run.
    // Comments a server executes (MariaDB's /*! … */ and /*M! … */) count as statements.
    static bool IsBlank(QStringView text);

    // `text` with every comment that holds a ';' turned into blanks (line breaks kept), for a
    // driver that takes such a semicolon as the end of a statement and refuses the rest.
    static QString BlankSemicolonComments(const QString& text);

private:
    // The stretch opening at `pos`, if one does; its end is -1 when none opens there.
    Stretch OpensAt(qsizetype pos) const;
    qsizetype QuoteEnd(qsizetype pos, QChar close, bool backslashEscapes) const;
    qsizetype LineCommentEnd(qsizetype pos) const;
    qsizetype BlockCommentEnd(qsizetype pos) const;
    // Length of a dollar-quote mark ($$ or $tag$) at `pos`; 0 when there is none.
    qsizetype DollarMarkLength(qsizetype pos) const;
    qsizetype DollarQuoteEnd(qsizetype pos, qsizetype markLength) const;

    QStringView m_text;
    qsizetype m_scanned = 0; // everything before it is classified
    Stretch m_last{0, 0, Kind::Quote};
};
