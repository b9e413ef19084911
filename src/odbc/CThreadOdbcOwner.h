#pragma once

#include <QString>

class CODBCObject;

// Kinds of result elements; the kind is also the row's icon in the result list.
enum ElemKind : int
{
    ElemConnection = 0, // a connection's title row
    ElemInfo = 1,       // row counts, "End(No data found)", information diagnostics
    ElemError = 2,      // error diagnostics
    ElemRow = 3,        // one fetched row
    ElemHeader = 4,     // the column names of a result set
};

// What a CThreadODBC needs from the thread that owns it: somewhere to put
// result lines, and whether it may go on. Implemented by the query thread.
class CThreadOdbcOwner
{
public:
    virtual ~CThreadOdbcOwner() = default;

    // 0 once a stop has been asked for, 1 otherwise. Never blocks.
    virtual int KeepRunning() = 0;
    // Like KeepRunning, but first waits up to `milliseconds` for a stop request,
    // so that polling a busy driver neither spins a core nor delays a stop.
    virtual int KeepRunningAfter(int milliseconds) = 0;
    // "Ignore info messages" as it was when the run began.
    virtual bool IgnoreInfo() const = 0;
    // Adds one result element of `kind` with the tab-separated `text`.
    virtual void AddElement(const QString& text, int kind) = 0;

    // Adds `text`; a nonzero native code goes first as its own "[Native:code]" field.
    void AddMessage(const QString& text, int nativeError, int kind);
    // The connection's diagnostic text as lines of `kind`, the native code on the
    // first line only, for as long as the thread may go on.
    void PostDiagnostics(CODBCObject& connection, int kind);
};
