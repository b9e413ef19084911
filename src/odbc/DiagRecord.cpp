#include "odbc/DiagRecord.h"

#include "odbc/OdbcString.h"

namespace odbc {

namespace {

constexpr SQLSMALLINT kMessageChars = 511;

} // namespace

std::vector<DiagRecord> ReadDiagRecords(const DiagRecordCall& call, SQLRETURN* end)
{
    std::vector<DiagRecord> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLWCHAR state[6] = {};
        WideBuffer message(kMessageChars + 1);
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            call(number, state, &nativeError, message.data(), kMessageChars, &length);
        DiagRecord record{FromBuffer(state, 5), nativeError, message.text()};
        // Past the last record, some driver managers' SQLError answers success with the state
        // of success.
        if (!SQL_SUCCEEDED(rc) || (number > 1 && record.state == u"00000"_qs)) {
            if (end) {
                *end = rc;
            }
            return records;
        }
        records.push_back(std::move(record));
    }
}

} // namespace odbc
