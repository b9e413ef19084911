#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// A loading archive met bytes it cannot read: the data ends early or a length does not fit.
class CArchiveException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Binary archive over a byte array, in the document file's layout: little-endian integers and
// length-prefixed strings. An archive either stores (appends) or loads (reads from the front);
// calling the other direction's operations is a programming error and throws std::logic_error.
class CArchive
{
public:
    enum class Mode
    {
        Store,
        Load
    };

    // A storing archive appends to `bytes`; a loading archive reads `bytes` from the first byte.
    explicit CArchive(Mode mode, QByteArray bytes = QByteArray());

    bool IsStoring() const { return m_mode == Mode::Store; }
    bool IsLoading() const { return m_mode == Mode::Load; }

    void WriteInt32(qint32 value);
    // Always the UTF-16 form, with the shortest length form that holds the length.
    void WriteString(const QString& value);
    void WriteBytes(const QByteArray& bytes);

    // These throw CArchiveException rather than read past the end. A string's length is checked
    // against the bytes left before anything is allocated for it.
    qint32 ReadInt32();
    // Reads both the UTF-16 and the 8-bit (Windows-1252) form.
    QString ReadString();
    // Everything from the current position to the end; the archive is then at its end.
    QByteArray ReadRemaining();

    // Bytes read so far when loading, bytes held when storing.
    qsizetype Position() const;
    // Bytes not yet read; 0 when storing.
    qsizetype Remaining() const;
    // Everything stored (or the whole input when loading).
    const QByteArray& Bytes() const { return m_bytes; }

private:
    void RequireStoring() const;
    void RequireLoading() const;
    const char* Take(qsizetype count);
    quint8 ReadUInt8();
    quint16 ReadUInt16();
    quint32 ReadUInt32();
    quint64 ReadUInt64();
    void WriteUInt8(quint8 value);
    void WriteUInt16(quint16 value);
    void WriteUInt32(quint32 value);
    void WriteUInt64(quint64 value);
    void WriteStringLength(quint64 length);

    Mode m_mode;
    QByteArray m_bytes;
    qsizetype m_position = 0;
};
