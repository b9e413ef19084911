#pragma once

#include <QString>
#include <QStringList>

// What a run's text and names become before they are recorded.
class CHistoryText
{
public:
    // The most of a run's text that is kept, in UTF-8 bytes.
    static constexpr qsizetype kMostSqlBytes = 1024 * 1024;
    // What stands in for a password.
    static QString Mask() { return QStringLiteral("********"); }

    // `text` with every occurrence of each secret replaced by the mask, longest secrets first (a
    // password holding a shorter one is masked whole). Case matters: a password is its exact
    // characters.
    static QString Scrub(QString text, QStringList secrets);
    // The longest start of `text` whose UTF-8 takes at most `bytes`, never splitting a character
    // (nor a surrogate pair); `cut` says whether anything was left out.
    static QString CutToBytes(const QString& text, qsizetype bytes, bool& cut);
};
