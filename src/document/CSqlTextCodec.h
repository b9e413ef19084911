#pragma once

#include "document/CSqlTextForm.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A SQL text read from bytes, with the form those bytes had.
struct CDecodedSqlText
{
    QString text;
    CSqlTextForm form;
};

// A SQL text written as bytes, with the form they now have.
struct CEncodedSqlText
{
    QByteArray bytes;
    CSqlTextForm form;
};

// The bytes of a document's SQL text. Reading never loses a byte: whatever Decode reads, Encode
// writes back byte for byte with the form Decode found, line ends included.
class CSqlTextCodec
{
public:
    // A UTF-8 byte-order mark, or bytes that are valid UTF-8 with at least one multi-byte
    // sequence, mean UTF-8; other bytes are Windows-1252. Plain ASCII is UTF-8 in a bare file
    // (where new text goes in UTF-8) and Windows-1252 in a full document (as its writer wrote).
    // The text keeps its line ends as stored.
    static CDecodedSqlText Decode(QByteArrayView bytes, bool documentFile = false);

    // Writes `text` in `form`. When Windows-1252 cannot hold the text, or its bytes would read
    // back as UTF-8, the text goes in UTF-8 instead: nothing is ever replaced. The result's form
    // tells the encoding used and the text's line ends.
    static CEncodedSqlText Encode(const QString& text, const CSqlTextForm& form);

    // UTF-8 that keeps every byte: a byte outside any valid sequence becomes the lone surrogate
    // U+DC00 plus the byte, a character valid UTF-8 never yields, and EncodeUtf8 writes it back
    // as that byte. The editor holds text the same way, so such bytes survive it too.
    static QString DecodeUtf8(QByteArrayView bytes);
    // Other lone surrogates, which UTF-8 cannot carry, get the three bytes of their value; they
    // read back as three escaped bytes, which then write back the same.
    static QByteArray EncodeUtf8(QStringView text);

    // Every byte maps to one character; the five bytes the code page leaves undefined map to the
    // C1 control characters of the same value so that they survive a round trip.
    static QString DecodeWindows1252(QByteArrayView bytes);

    // True when every character of `text` has a Windows-1252 byte.
    static bool FitsWindows1252(QStringView text);

    // Every CR LF, lone CR and lone LF becomes `lineEnd`.
    static QString NormaliseLineBreaks(QStringView text, CSqlTextForm::LineEnd lineEnd);

    // The most frequent line end of `text`; `none` when it has none.
    static CSqlTextForm::LineEnd DominantLineEnd(QStringView text, CSqlTextForm::LineEnd none);
};
