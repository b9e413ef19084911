#pragma once

#include "execution/CElemArray.h"
#include "formats/CRowFields.h"
#include "formats/ResultFormats.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class CPostElemArray;

// Writes a run's result elements, one line each (kind, tab, text), grouped by connection as the
// result list has them, the groups in the order of the document's connections whatever order
// their rows arrive in: two runs of one document can be compared line by line. In another
// format (SetFormat) only the result sets are written, each group's in the format, the groups
// in that same order.
//
// The first group not yet written streams out as its rows come; the others are held, already
// encoded, until their turn. Output is written in blocks of kBlock bytes, each flushed, so that a
// runner that is killed loses the block it was filling and the groups still waiting.
class COrderedOutput
{
public:
    static constexpr qsizetype kBlock = qsizetype(1) << 20;

    // `order`: the connection names (the data sources) in the document's order. A name that is
    // not among them gets its group after theirs.
    COrderedOutput(std::FILE* out, const QStringList& order);

    // Before the first batch: writes go to `device` instead of the stream.
    void SetDevice(QIODevice* device) { m_device = device; }
    // Before the first batch: the result sets in `format` (a text format) instead of the
    // element lines; error diagnostics go to `errors`, one line each, as they come.
    void SetFormat(ResultFormat format, std::FILE* errors);
    // A batch as posted: its elements, or in the format its sets.
    void Take(const CPostElemArray& batch);

    // Elements of one of the connection's batches, in order, encoded at once. The connection's
    // first batch opens its group with a title line.
    void Take(const QString& connection, const CElemArray::Elements& elements);
    // No more elements come for the connection: once it is its turn, the groups after it follow.
    void Complete(const QString& connection);
    // Writes what the streaming group has encoded so far.
    void WritePending();
    // Writes everything held, in order, complete or not.
    void Finish();

private:
    struct Group
    {
        QString name;
        bool complete = false;
        bool titled = false;
        QByteArray block;            // being filled
        std::deque<QByteArray> held; // full blocks that wait for the group's turn
        bool written = false;        // some of its bytes are out
        // In a format: what writes the group's sets into `block`, and a row's values.
        std::unique_ptr<CResultWriter> writer;
        CRowFields fields;
        qsizetype columns = 0;
    };

    std::size_t IndexOf(const QString& connection);
    void Encode(std::size_t group, int kind, QStringView text);
    void TakeSets(std::size_t group, const CPostElemArray& batch);
    // Writes the block once full, or holds it when the group's turn has not come.
    void Spill(std::size_t group);
    void EndSets();
    // The groups whose turn has come: each complete one at the front in full, then what the next
    // one holds, which streams from then on.
    void Advance();
    void WriteHeld(Group& group);
    // Written and flushed, then emptied; a format's text between sets goes before the first
    // bytes of a group that follows another's.
    void Emit(Group& group, QByteArray& bytes);
    void Write(std::string_view bytes);

    std::FILE* m_out;
    QIODevice* m_device = nullptr;
    std::optional<ResultFormat> m_format;
    std::FILE* m_errors = nullptr;
    std::string m_between; // the format's text between two sets
    bool m_anyWritten = false;
    std::deque<Group> m_groups;
    std::size_t m_current = 0; // the streaming group
    // Stateless: half a surrogate pair that a cut left at a value's end is not carried over to
    // the next line.
    QStringEncoder m_toUtf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
