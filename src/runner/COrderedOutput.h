#pragma once

#include "execution/CElemArray.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <cstdio>
#include <deque>
#include <utility>

// Writes a run's result elements, one line each (kind, tab, text), grouped by connection as the
// result list has them, the groups in the order of the document's connections whatever order
// their rows arrive in: two runs of one document can be compared line by line.
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
    };

    std::size_t IndexOf(const QString& connection);
    void Encode(std::size_t group, int kind, QStringView text);
    // The groups whose turn has come: each complete one at the front in full, then what the next
    // one holds, which streams from then on.
    void Advance();
    void WriteHeld(Group& group);
    // Written and flushed, then emptied.
    void Emit(QByteArray& bytes);

    std::FILE* m_out;
    std::deque<Group> m_groups;
    std::size_t m_current = 0; // the streaming group
    // Stateless: half a surrogate pair that a cut left at a value's end is not carried over to
    // the next line.
    QStringEncoder m_toUtf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
