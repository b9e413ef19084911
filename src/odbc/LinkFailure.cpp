#include "odbc/LinkFailure.h"

#include <array>

namespace odbc {

namespace {

// The client library's error numbers that MariaDB Connector/ODBC passes on
// under the general state HY000: the server has gone away, lost during a query
// and its extended variant, and MariaDB's own network read and write errors
// (a statement sent on a connection that the server killed fails with 5014).
constexpr std::array<SQLINTEGER, 5> kMySqlLostLink = {2006, 2013, 2055, 5013, 5014};

} // namespace

bool IsLinkFailure(const DiagRecord& record)
{
    const QString& state = record.state;
    // Communication link failure, connection not open, and a failure within a
    // transaction; 08001/08004 are refused connects, which keep nothing.
    if (state == u"08S01"_qs || state == u"08003"_qs || state == u"08007"_qs) {
        return true;
    }
    // PostgreSQL's "terminating connection due to administrator command" and
    // crash shutdown: the server closes the session after sending these.
    if (state == u"57P01"_qs || state == u"57P02"_qs) {
        return true;
    }
    if (state == u"HY000"_qs) {
        for (const SQLINTEGER code : kMySqlLostLink) {
            if (record.nativeError == code) {
                return true;
            }
        }
    }
    return false;
}

} // namespace odbc
