#pragma once

#include "execution/CMarkTable.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <deque>
#include <memory>
#include <vector>

// Result rows held packed: the text of many rows one after another in large blocks, as UTF-8
// (or, for a row that is no valid UTF-16 and so has no UTF-8 form, its UTF-16 units as they
// are), and beside it one 12-byte entry a row with its place, kind and field count. A
// million rows are a few blocks instead of a million heap strings with their headers and
// allocator overhead. Appending only; the text is decoded again when a row is read.
class CPackedRows
{
public:
    // Adds a row, and its value marks when it has any (kept behind its text, two bits a value).
    // When an allocation fails, std::bad_alloc leaves the rows as they were.
    void Append(int kind, QStringView text, const CMarkTable::Marks& marks = {});

    qsizetype Count() const { return qsizetype(m_rows.size()); }
    // `row` must be in 0 .. Count() - 1 for each of these.
    int Kind(qsizetype row) const { return m_rows[size_t(row)].kind; }
    QString Text(qsizetype row) const;
    // Tabs in the text plus one.
    int FieldCount(qsizetype row) const;
    // The text between the index-th and the next tab; empty for an index outside
    // 0 .. FieldCount() - 1.
    QString Field(qsizetype row, int index) const;
    // The row's value marks; none when it was added without.
    CMarkTable::Marks Marks(qsizetype row) const;

    // One row, read through the rows that hold it; valid while they are.
    class RowView
    {
    public:
        RowView(const CPackedRows& rows, qsizetype row) : m_rows(&rows), m_row(row) {}
        int Kind() const { return m_rows->Kind(m_row); }
        QString Text() const { return m_rows->Text(m_row); }
        int FieldCount() const { return m_rows->FieldCount(m_row); }
        QString Field(int index) const { return m_rows->Field(m_row, index); }
        CMarkTable::Marks Marks() const { return m_rows->Marks(m_row); }

    private:
        const CPackedRows* m_rows;
        qsizetype m_row;
    };
    RowView At(qsizetype row) const { return {*this, row}; }

    // Where the rows stand, and back to there: what a caller undoes when a later step of its
    // own fails after some rows went in.
    struct Mark
    {
        size_t rows = 0;
        size_t blocks = 0;
        quint32 lastBlockUsed = 0;
    };
    Mark Position() const;
    void RollBack(const Mark& mark);

    // What the rows hold for a text, the entry included: for budgets charged before the text
    // reaches the store.
    static qint64 HeldBytes(QStringView text);
    // Bytes allocated for the rows' text and entries.
    qint64 AllocatedBytes() const;

    // Blocks of text double from the first size to the largest, so that a group of a few rows
    // (a document may have hundreds) takes little and a large result few blocks; a longer row
    // gets a block of its own.
    static constexpr quint32 kFirstBlockBytes = 4U << 10;
    static constexpr quint32 kBlockBytes = 64U << 10;

private:
    // A row's length is where the next row of its block starts, or the block's end: what a row
    // would store of it, it can be told from its neighbour.
    struct Row
    {
        quint32 block;
        quint32 start;
        quint8 kind;
        quint8 form;
        quint16 fieldCount; // kFieldCountUnknown when there are more
    };
    static_assert(sizeof(Row) == 12);

    enum Form : quint8
    {
        Ascii, // every character below U+0080: each byte is a character
        Utf8,
        Utf16, // no valid UTF-16, so no UTF-8 form: the units as they came
    };
    // In `form` beside the form: value marks follow the row's text, one per field.
    static constexpr quint8 kMarkedFlag = 0x80;
    static quint8 FormOf(const Row& row) { return row.form & quint8(~kMarkedFlag); }
    // Bytes of value marks behind the row's text.
    static qsizetype MarkBytes(const Row& row);
    static constexpr quint16 kFieldCountUnknown = 0xFFFF;

    struct Block
    {
        std::unique_ptr<char[]> bytes;
        quint32 size = 0;
        quint32 used = 0;
    };

    struct Encoded
    {
        qsizetype length = 0; // bytes
        qsizetype tabs = 0;
        quint8 form = Ascii;
    };
    // Writes the text's bytes to `out`, which has room for three a unit.
    static Encoded Encode(QStringView text, char* out);
    // A block with room for `bytes` more; a new one when the last is too full.
    Block& BlockWithRoom(qsizetype bytes);
    const char* Bytes(const Row& row) const;
    qsizetype Length(qsizetype row) const;
    static QString Decode(const Row& row, const char* bytes, qsizetype length);

    std::deque<Row> m_rows;
    std::vector<Block> m_blocks;
};
