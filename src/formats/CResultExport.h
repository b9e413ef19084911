#pragma once

#include "formats/CResultWriter.h"
#include "formats/CRowFields.h"
#include "formats/ResultFormats.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CResultStore;
class CResultSet;

// What to export: result sets of the store (by index, written in that order) to one file with
// the connection's column, or to a file per connection.
struct CExportRequest
{
    ResultFormat format = ResultFormat::Csv;
    QString path;
    bool filePerConnection = false; // then each file is "<path's base>-<connection>.<suffix>"
    QList<qsizetype> sets;
};

// The values of the sets that were cut at the long-text limit: how many, and where
// ("connection: column", each once, in the order found).
struct CCutValues
{
    qint64 count = 0;
    QStringList places;
};

// Writes result sets of the store to files, a slice of rows at a time, so that a window can
// show its progress and stop between slices. Every file is written whole or not at all: text
// formats through a file saved on commit, workbooks to a temporary file beside the target that
// is renamed onto it. The store must not change while an export runs.
class CResultExport
{
public:
    CResultExport(const CResultStore& store, CExportRequest request);
    ~CResultExport();
    CResultExport(const CResultExport&) = delete;
    CResultExport& operator=(const CResultExport&) = delete;

    static CCutValues FindCut(const CResultStore& store, const QList<qsizetype>& sets);
    // The file each connection's rows go to (one for all without filePerConnection).
    static QString FileFor(const CExportRequest& request, const QString& connection);

    // Opens the files. False with `error` set when one cannot be made.
    bool Start(QString& error);
    // Writes at most `rows` more rows; true once every row is written.
    bool Step(qsizetype rows);
    // Puts every file in place. False with `error` set when one could not be written: then no
    // target is touched unless the failure came in putting one in place, which leaves that
    // one and those after it as they were.
    bool Commit(QString& error);
    // Leaves every target as it was.
    void Cancel();

    qint64 RowsWritten() const { return m_rowsWritten; }
    qint64 RowsTotal() const { return m_rowsTotal; }
    QStringList Files() const;

private:
    struct Target;

    Target& TargetOf(const QString& connection);
    void WriteRow(Target& target, const CResultSet& set, qsizetype row);
    bool Drain(Target& target, bool all);

    const CResultStore& m_store;
    CExportRequest m_request;
    CWriterOptions m_options;
    std::vector<std::unique_ptr<Target>> m_targets;
    CRowFields m_fields;
    qsizetype m_set = 0; // in m_request.sets
    qsizetype m_row = 0; // of that set
    qint64 m_rowsWritten = 0;
    qint64 m_rowsTotal = 0;
    QString m_error;
};
