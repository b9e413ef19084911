#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The 8-bit form of a document's SQL text, and the Windows-1252 code page that stands in for the
// ANSI code page of older files.
class CSqlTextCodec
{
public:
    // Line breaks become CR LF, then the text is written in Windows-1252 when that reads back as
    // the same text, otherwise as UTF-8 behind a byte-order mark. Nothing is lost except unpaired
    // surrogates, which UTF-8 cannot carry.
    static QByteArray Encode(const QString& text);

    // A UTF-8 byte-order mark, or bytes that are valid UTF-8 with at least one multi-byte
    // sequence, mean UTF-8; anything else is Windows-1252. The text is kept exactly as stored.
    static QString Decode(QByteArrayView bytes);

    // Every byte maps to one character; the five bytes the code page leaves undefined map to the
    // C1 control characters of the same value so that they survive a round trip.
    static QString DecodeWindows1252(QByteArrayView bytes);

    // True when every character of `text` has a Windows-1252 byte.
    static bool FitsWindows1252(const QString& text);

    // Lone LF and lone CR become CR LF; CR LF stays.
    static QString NormaliseLineBreaks(const QString& text);
};
