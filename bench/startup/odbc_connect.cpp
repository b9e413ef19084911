// The driver's own connect time, without Tessella: plain ODBC calls through the driver manager
// (wide-character API, as the workbench uses), timed in-process. Prints one line
//   CONNECT connect_ms=... query_ms=... disconnect_ms=... rows=...
// where connect is environment, connection handle and SQLDriverConnectW; query is SELECT 1,
// executed and fetched; disconnect is SQLDisconnect and freeing the handles.

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::u16string Wide(const char* text)
{
    std::u16string wide;
    for (; *text; ++text) {
        wide += static_cast<char16_t>(static_cast<unsigned char>(*text));
    }
    return wide;
}

SQLWCHAR* Chars(std::u16string& text)
{
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

bool Ok(SQLRETURN result)
{
    return SQL_SUCCEEDED(result);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_odbc_connect CONNECTION-STRING\n");
        return 2;
    }
    std::u16string connectString = Wide(argv[1]);
    std::u16string query = Wide("SELECT 1");

    const Clock::time_point start = Clock::now();
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)) ||
        !Ok(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                          0)) ||
        !Ok(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        std::fprintf(stderr, "bench_odbc_connect: no ODBC handles\n");
        return 1;
    }
    if (!Ok(SQLDriverConnectW(dbc, nullptr, Chars(connectString), SQL_NTS, nullptr, 0, nullptr,
                              SQL_DRIVER_NOPROMPT))) {
        std::fprintf(stderr, "bench_odbc_connect: cannot connect with %s\n", argv[1]);
        return 1;
    }
    const Clock::time_point connected = Clock::now();

    SQLHSTMT stmt = SQL_NULL_HSTMT;
    long rows = 0;
    if (Ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)) &&
        Ok(SQLExecDirectW(stmt, Chars(query), SQL_NTS))) {
        while (Ok(SQLFetch(stmt))) {
            ++rows;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    const Clock::time_point queried = Clock::now();

    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    const Clock::time_point done = Clock::now();

    std::printf("CONNECT connect_ms=%.3f query_ms=%.3f disconnect_ms=%.3f rows=%ld\n",
                Milliseconds(start, connected), Milliseconds(connected, queried),
                Milliseconds(queried, done), rows);
    return rows == 1 ? 0 : 1;
}
