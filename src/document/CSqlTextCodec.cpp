#include "CSqlTextCodec.h"

#include <QStringDecoder>

#include <array>

namespace {

// Characters of bytes 0x80-0x9F; every other byte is the character of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8BomSize = 3;

// The byte for `c`, or -1 when the code page has none.
int ToWindows1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return c;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return int(0x80 + i);
        }
    }
    return -1;
}

enum class Utf8Shape
{
    Invalid,
    Ascii,
    MultiByte
};

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Strict UTF-8: no overlong forms, no encoded surrogates, nothing above U+10FFFF. Strictness
// matters because a Windows-1252 text should only rarely pass for UTF-8.
Utf8Shape ScanUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool multiByte = false;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int trail = 0;
        unsigned char lo = 0x80;
        unsigned char hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            lo = lead == 0xE0 ? 0xA0 : 0x80;
            hi = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            lo = lead == 0xF0 ? 0x90 : 0x80;
            hi = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return Utf8Shape::Invalid;
        }
        if (n - i <= trail || p[i + 1] < lo || p[i + 1] > hi) {
            return Utf8Shape::Invalid;
        }
        for (int k = 2; k <= trail; ++k) {
            if (!IsContinuation(p[i + k])) {
                return Utf8Shape::Invalid;
            }
        }
        multiByte = true;
        i += trail + 1;
    }
    return multiByte ? Utf8Shape::MultiByte : Utf8Shape::Ascii;
}

QString DecodeUtf8(QByteArrayView bytes)
{
    // The caller has already dropped the one byte-order mark that marks the encoding; a second
    // one belongs to the text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QByteArray EncodeWindows1252(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out[i] = char(ToWindows1252(text[i].unicode()));
    }
    return out;
}

} // namespace

QByteArray CSqlTextCodec::Encode(const QString& text)
{
    const QString normalised = NormaliseLineBreaks(text);
    if (FitsWindows1252(normalised)) {
        QByteArray ansi = EncodeWindows1252(normalised);
        // Some Windows-1252 texts look like UTF-8 ("Ã©" is the UTF-8 of "é"); those must not
        // be stored in a form that reads back differently.
        if (ScanUtf8(ansi) != Utf8Shape::MultiByte && !ansi.startsWith(kUtf8Bom)) {
            return ansi;
        }
    }
    return QByteArray(kUtf8Bom, kUtf8BomSize) + normalised.toUtf8();
}

QString CSqlTextCodec::Decode(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView(kUtf8Bom, kUtf8BomSize))) {
        return DecodeUtf8(bytes.sliced(kUtf8BomSize));
    }
    if (ScanUtf8(bytes) == Utf8Shape::MultiByte) {
        return DecodeUtf8(bytes);
    }
    return DecodeWindows1252(bytes);
}

QString CSqlTextCodec::DecodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = QChar(b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : char16_t(b));
    }
    return out;
}

bool CSqlTextCodec::FitsWindows1252(const QString& text)
{
    for (QChar c : text) {
        if (ToWindows1252(c.unicode()) < 0) {
            return false;
        }
    }
    return true;
}

QString CSqlTextCodec::NormaliseLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}
