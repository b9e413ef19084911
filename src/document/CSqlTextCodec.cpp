#include "document/CSqlTextCodec.h"

#include <array>

namespace {

using Encoding = CSqlTextForm::Encoding;
using LineEnd = CSqlTextForm::LineEnd;

// Characters of bytes 0x80-0x9F; every other byte is the character of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

// A byte outside valid UTF-8 is always 0x80 or above, so U+DC80-U+DCFF hold them all.
constexpr char16_t kEscapeBase = 0xDC00;

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

// The length of the valid UTF-8 sequence at `p[i]`, or 0 when there is none. Strict: no
// overlong forms, no encoded surrogates, nothing above U+10FFFF. Strictness matters because a
// Windows-1252 text should only rarely pass for UTF-8, and because an encoded surrogate read as
// a character would collide with the escapes of invalid bytes.
int SequenceLength(const unsigned char* p, qsizetype i, qsizetype n)
{
    const unsigned char lead = p[i];
    if (lead < 0x80) {
        return 1;
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
        return 0;
    }
    if (n - i <= trail || p[i + 1] < lo || p[i + 1] > hi) {
        return 0;
    }
    for (int k = 2; k <= trail; ++k) {
        if (!IsContinuation(p[i + k])) {
            return 0;
        }
    }
    return trail + 1;
}

Utf8Shape ScanUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    bool multiByte = false;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(p, i, bytes.size());
        if (length == 0) {
            return Utf8Shape::Invalid;
        }
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte ? Utf8Shape::MultiByte : Utf8Shape::Ascii;
}

char32_t SequenceValue(const unsigned char* p, int length)
{
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = p[0] & kLeadMask[length];
    for (int k = 1; k < length; ++k) {
        value = (value << 6) | (p[k] & 0x3F);
    }
    return value;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

QByteArray EncodeWindows1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out[i] = char(ToWindows1252(text[i].unicode()));
    }
    return out;
}

// Windows-1252 bytes, or nothing when the text does not fit or its bytes would read back as
// UTF-8 ("Ã©" is the UTF-8 of "é", "ï»¿" the byte-order mark).
QByteArray Windows1252IfItReadsBack(QStringView text)
{
    if (!CSqlTextCodec::FitsWindows1252(text)) {
        return {};
    }
    QByteArray bytes = EncodeWindows1252(text);
    if (ScanUtf8(bytes) == Utf8Shape::MultiByte || bytes.startsWith(kUtf8Bom)) {
        return {};
    }
    return bytes;
}

} // namespace

CDecodedSqlText CSqlTextCodec::Decode(QByteArrayView bytes, bool documentFile)
{
    CDecodedSqlText decoded;
    CSqlTextForm& form = decoded.form;
    form.documentFile = documentFile;
    if (bytes.startsWith(kUtf8Bom)) {
        form.encoding = Encoding::Utf8WithBom;
        // Only the first mark marks the encoding; a second one belongs to the text.
        decoded.text = DecodeUtf8(bytes.sliced(kUtf8Bom.size()));
    } else {
        const Utf8Shape shape = ScanUtf8(bytes);
        const bool utf8 =
            shape == Utf8Shape::MultiByte || (shape == Utf8Shape::Ascii && !documentFile);
        form.encoding = utf8 ? Encoding::Utf8 : Encoding::Windows1252;
        decoded.text = utf8 ? DecodeUtf8(bytes) : DecodeWindows1252(bytes);
    }
    form.lineEnd = DominantLineEnd(decoded.text, documentFile ? LineEnd::CrLf : LineEnd::Lf);
    return decoded;
}

CEncodedSqlText CSqlTextCodec::Encode(const QString& text, const CSqlTextForm& form)
{
    const QString normalised =
        form.normaliseLineEnds ? NormaliseLineBreaks(text, form.lineEnd) : QString();
    const QStringView written = form.normaliseLineEnds ? QStringView(normalised) : text;

    CEncodedSqlText encoded{{}, form};
    encoded.form.lineEnd = DominantLineEnd(written, form.lineEnd);
    if (form.encoding == Encoding::Windows1252) {
        encoded.bytes = Windows1252IfItReadsBack(written);
        if (!encoded.bytes.isEmpty() || written.isEmpty()) {
            return encoded;
        }
    }
    const QByteArray utf8 = EncodeUtf8(written);
    bool bom = form.encoding == Encoding::Utf8WithBom;
    if (form.encoding == Encoding::Windows1252) {
        // The text left Windows-1252 for UTF-8: with the mark where readers look for one, or
        // where the bytes alone would not read back as this text.
        bom = form.documentFile || ScanUtf8(utf8) != Utf8Shape::MultiByte ||
              utf8.startsWith(kUtf8Bom);
    }
    encoded.form.encoding = bom ? Encoding::Utf8WithBom : Encoding::Utf8;
    encoded.bytes = bom ? kUtf8Bom.toByteArray() + utf8 : utf8;
    return encoded;
}

QString CSqlTextCodec::DecodeUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const int length = SequenceLength(p, i, n);
        if (length == 0) {
            out += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
            continue;
        }
        const char32_t c = SequenceValue(p + i, length);
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
        i += length;
    }
    return out;
}

QByteArray CSqlTextCodec::EncodeUtf8(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out += char(c - kEscapeBase);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
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

bool CSqlTextCodec::FitsWindows1252(QStringView text)
{
    for (QChar c : text) {
        if (ToWindows1252(c.unicode()) < 0) {
            return false;
        }
    }
    return true;
}

QString CSqlTextCodec::NormaliseLineBreaks(QStringView text, LineEnd lineEnd)
{
    const QStringView target = lineEnd == LineEnd::CrLf ? u"\r\n"
                               : lineEnd == LineEnd::Cr ? u"\r"
                                                        : u"\n";
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += target;
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            out += c;
        }
    }
    return out;
}

LineEnd CSqlTextCodec::DominantLineEnd(QStringView text, LineEnd none)
{
    qsizetype lf = 0;
    qsizetype crLf = 0;
    qsizetype cr = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++lf;
        } else if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++crLf;
                ++i;
            } else {
                ++cr;
            }
        }
    }
    if (lf == 0 && crLf == 0 && cr == 0) {
        return none;
    }
    if (crLf >= lf && crLf >= cr) {
        return LineEnd::CrLf;
    }
    return lf >= cr ? LineEnd::Lf : LineEnd::Cr;
}
