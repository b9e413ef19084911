#include "document/CArchive.h"

#include "document/CSqlTextCodec.h"

#include <QtEndian>

#include <utility>

namespace {

constexpr quint16 kUtf16Marker = 0xFFFE;
constexpr quint8 kByteEscape = 0xFF;
constexpr quint16 kWordEscape = 0xFFFF;
constexpr quint32 kDwordEscape = 0xFFFFFFFF;

} // namespace

CArchive::CArchive(Mode mode, QByteArray bytes) : m_mode(mode), m_bytes(std::move(bytes))
{
}

void CArchive::RequireStoring() const
{
    if (!IsStoring()) {
        throw std::logic_error("CArchive: write on a loading archive");
    }
}

void CArchive::RequireLoading() const
{
    if (!IsLoading()) {
        throw std::logic_error("CArchive: read on a storing archive");
    }
}

qsizetype CArchive::Position() const
{
    return IsStoring() ? m_bytes.size() : m_position;
}

qsizetype CArchive::Remaining() const
{
    return IsStoring() ? 0 : m_bytes.size() - m_position;
}

const char* CArchive::Take(qsizetype count)
{
    RequireLoading();
    if (count < 0 || count > Remaining()) {
        throw CArchiveException("unexpected end of archive");
    }
    const char* p = m_bytes.constData() + m_position;
    m_position += count;
    return p;
}

quint8 CArchive::ReadUInt8()
{
    return static_cast<quint8>(*Take(1));
}

quint16 CArchive::ReadUInt16()
{
    return qFromLittleEndian<quint16>(Take(2));
}

quint32 CArchive::ReadUInt32()
{
    return qFromLittleEndian<quint32>(Take(4));
}

quint64 CArchive::ReadUInt64()
{
    return qFromLittleEndian<quint64>(Take(8));
}

qint32 CArchive::ReadInt32()
{
    return qFromLittleEndian<qint32>(Take(4));
}

QString CArchive::ReadString()
{
    RequireLoading();
    bool utf16 = false;
    quint64 length = ReadUInt8();
    if (length == kByteEscape) {
        quint16 word = ReadUInt16();
        if (word == kUtf16Marker) {
            // The marker only announces the width; the length follows in the same form again,
            // where 0xFFFE is an ordinary 16-bit length.
            utf16 = true;
            length = ReadUInt8();
            if (length == kByteEscape) {
                word = ReadUInt16();
            }
        }
        if (length == kByteEscape) {
            length = word;
            if (word == kWordEscape) {
                const quint32 dword = ReadUInt32();
                length = dword == kDwordEscape ? ReadUInt64() : dword;
            }
        }
    }

    // Dividing what is left, rather than multiplying the length, cannot overflow.
    const quint64 unitSize = utf16 ? 2 : 1;
    if (length > quint64(Remaining()) / unitSize) {
        throw CArchiveException("string longer than the archive");
    }
    const auto count = static_cast<qsizetype>(length);
    const char* p = Take(count * qsizetype(unitSize));
    if (!utf16) {
        return CSqlTextCodec::DecodeWindows1252(QByteArrayView(p, count));
    }
    QString text(count, Qt::Uninitialized);
    QChar* dst = text.data();
    for (qsizetype i = 0; i < count; ++i) {
        dst[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
    }
    return text;
}

QByteArray CArchive::ReadRemaining()
{
    const qsizetype count = Remaining();
    const char* p = Take(count);
    return QByteArray(p, count);
}

void CArchive::WriteUInt8(quint8 value)
{
    RequireStoring();
    m_bytes.append(char(value));
}

void CArchive::WriteUInt16(quint16 value)
{
    RequireStoring();
    char buffer[2];
    qToLittleEndian(value, buffer);
    m_bytes.append(buffer, sizeof buffer);
}

void CArchive::WriteUInt32(quint32 value)
{
    RequireStoring();
    char buffer[4];
    qToLittleEndian(value, buffer);
    m_bytes.append(buffer, sizeof buffer);
}

void CArchive::WriteUInt64(quint64 value)
{
    RequireStoring();
    char buffer[8];
    qToLittleEndian(value, buffer);
    m_bytes.append(buffer, sizeof buffer);
}

void CArchive::WriteInt32(qint32 value)
{
    WriteUInt32(static_cast<quint32>(value));
}

void CArchive::WriteStringLength(quint64 length)
{
    if (length < kByteEscape) {
        WriteUInt8(quint8(length));
        return;
    }
    WriteUInt8(kByteEscape);
    if (length < kUtf16Marker) {
        WriteUInt16(quint16(length));
        return;
    }
    WriteUInt16(kWordEscape);
    if (length < kDwordEscape) {
        WriteUInt32(quint32(length));
        return;
    }
    WriteUInt32(kDwordEscape);
    WriteUInt64(length);
}

void CArchive::WriteString(const QString& value)
{
    WriteUInt8(kByteEscape);
    WriteUInt16(kUtf16Marker);
    WriteStringLength(quint64(value.size()));
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + 2 * value.size());
    char* dst = m_bytes.data() + start;
    for (qsizetype i = 0; i < value.size(); ++i) {
        qToLittleEndian(value[i].unicode(), dst + 2 * i);
    }
}

void CArchive::WriteBytes(const QByteArray& bytes)
{
    RequireStoring();
    m_bytes.append(bytes);
}
