#pragma once

#include <QString>

#include <sql.h>

#include <functional>
#include <utility>
#include <vector>

namespace odbc {

// One diagnostic record of an ODBC handle.
struct DiagRecord
{
    DiagRecord(QString state, SQLINTEGER nativeError, QString message = {})
        : state(std::move(state)), nativeError(nativeError), message(std::move(message))
    {
    }

    QString state; // the five-character SQLSTATE
    SQLINTEGER nativeError;
    QString message;
};

// Reads record `number` (from 1) into the buffers, as SQLGetDiagRec does; SQLError ignores the
// number and hands out each record once.
using DiagRecordCall =
    std::function<SQLRETURN(SQLSMALLINT number, SQLWCHAR* state, SQLINTEGER* nativeError,
                            SQLWCHAR* message, SQLSMALLINT messageMax, SQLSMALLINT* messageLength)>;

// The records `call` gives, in order, until it answers other than success; that answer goes to
// `end`. A message is read up to 511 characters.
std::vector<DiagRecord> ReadDiagRecords(const DiagRecordCall& call, SQLRETURN* end = nullptr);

} // namespace odbc
