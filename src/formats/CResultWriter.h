#pragma once

#include "formats/CUtf8Out.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>
#include <string_view>
#include <utility>

// One value of a row as a writer gets it: its text, and whether it was NULL (the text is then
// empty).
struct CFieldValue
{
    QStringView text;
    bool null = false;
};

// What opens a result set: whose it is and where it stood in the run. `batch` and `result` are
// 0-based as the result store counts them; what a writer prints of them is 1-based, as the user
// sees them ("Batch 2, result 1").
struct CSetHeader
{
    QString connection;
    int batch = 0;
    int result = 0;
    QStringList columns;
};

// What the writers of a document share.
struct CWriterOptions
{
    // A first column with the connection's name, in the formats that have columns.
    bool connectionColumn = true;
    QString connectionHeader = QStringLiteral("connection");
    // The table that SQL INSERT statements insert into, written as it is given.
    QString tableName = QStringLiteral("results");
};

// Takes result sets one row at a time: a set begun, its rows, the set ended. What takes them
// holds none of them.
class CResultSink
{
public:
    virtual ~CResultSink() = default;
    virtual void BeginSet(const CSetHeader& header) = 0;
    // As many values as the set has columns.
    virtual void WriteRow(std::span<const CFieldValue> values) = 0;
    virtual void EndSet() = 0;
};

// A sink that writes a text format into a byte array its owner drains as it likes (after any
// call): nothing is held but what the format needs to close what it opened.
class CResultWriter : public CResultSink
{
public:
    CResultWriter(QByteArray& out, CWriterOptions options)
        : m_out(out), m_options(std::move(options))
    {
    }

    // What the document starts and ends with, and what stands between two sets; the owner
    // writes them. A writer puts the text between its own sets itself: one whose sets are
    // interleaved with another's (the runner's groups) is told so by the owner.
    virtual std::string_view Prologue() const { return {}; }
    virtual std::string_view Epilogue() const { return {}; }
    virtual std::string_view Between() const { return {}; }

    void BeginSet(const CSetHeader& header) final;
    void EndSet() final;
    bool InSet() const { return m_inSet; }
    // The rows that follow are of `connection`: a selection of rows from many connections
    // written as one set.
    void SetConnection(const QString& connection);
    // Sets begun so far.
    qsizetype SetCount() const { return m_sets; }

protected:
    virtual void OpenSet(const CSetHeader& header) = 0;
    virtual void CloseSet() {}
    // What the set's connection changed to with SetConnection after the set was opened.
    virtual void ConnectionChanged() {}
    const CWriterOptions& Options() const { return m_options; }
    const QString& Connection() const { return m_connection; }

    CUtf8Out m_out;

private:
    CWriterOptions m_options;
    QString m_connection;
    bool m_inSet = false;
    qsizetype m_sets = 0;
};
