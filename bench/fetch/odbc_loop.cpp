// The floor a fetch can reach through the driver manager: connect with SQLDriverConnectW, run
// one query, bind every column as text (wide SQL_C_WCHAR, or 8-bit SQL_C_CHAR in the locale's
// encoding, UTF-8 here) and call SQLFetch to the end. Nothing is formatted or kept.
//
//   bench_odbc_loop --wide|--narrow CONNECT-STRING [SQL]
//
// Prints the number of rows fetched; exits 1 on any ODBC failure.

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr SQLLEN kColumnChars = 256;

// One ODBC handle, freed with its scope.
class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle))) {
            m_handle = SQL_NULL_HANDLE;
        }
    }
    ~Handle()
    {
        if (m_handle != SQL_NULL_HANDLE) {
            SQLFreeHandle(m_type, m_handle);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// SQLWCHAR is two bytes under unixODBC: ASCII arguments widen one to one.
std::vector<SQLWCHAR> Widen(const char* text)
{
    std::vector<SQLWCHAR> wide(text, text + std::strlen(text));
    wide.push_back(0);
    return wide;
}

int Fail(const char* what, SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[6] = {};
    SQLCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    std::fprintf(stderr, "bench_odbc_loop: %s failed: %s %s\n", what, state, message);
    return 1;
}

// The bound buffers of one result set and their length indicators.
struct Bindings
{
    std::vector<char> buffers;
    std::vector<SQLLEN> indicators;
};

bool BindAll(SQLHSTMT statement, bool wide, Bindings& bindings)
{
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &columns)) || columns < 1) {
        return false;
    }
    const SQLLEN unit = wide ? SQLLEN(sizeof(SQLWCHAR)) : 1;
    const SQLLEN bytes = (kColumnChars + 1) * unit;
    bindings.buffers.assign(size_t(bytes * columns), 0);
    bindings.indicators.assign(size_t(columns), 0);
    for (SQLSMALLINT column = 0; column < columns; ++column) {
        if (!SQL_SUCCEEDED(SQLBindCol(statement, SQLUSMALLINT(column + 1),
                                      wide ? SQL_C_WCHAR : SQL_C_CHAR,
                                      bindings.buffers.data() + column * bytes, bytes,
                                      &bindings.indicators[size_t(column)]))) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 ||
        (std::strcmp(argv[1], "--wide") != 0 && std::strcmp(argv[1], "--narrow") != 0)) {
        std::fprintf(stderr, "usage: bench_odbc_loop --wide|--narrow CONNECT-STRING [SQL]\n");
        return 2;
    }
    // 8-bit text in UTF-8, as the program itself runs.
    std::setlocale(LC_ALL, "");
    const bool wide = std::strcmp(argv[1], "--wide") == 0;
    const char* query = argc > 3 ? argv[3] : "SELECT * FROM t";

    Handle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!env) {
        return 1;
    }
    SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    Handle dbc(SQL_HANDLE_DBC, env.Get());
    std::vector<SQLWCHAR> connect = Widen(argv[2]);
    SQLWCHAR out[1024] = {};
    SQLSMALLINT outLength = 0;
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc.Get(), nullptr, connect.data(), SQL_NTS, out, 1024,
                                         &outLength, SQL_DRIVER_NOPROMPT))) {
        return Fail("SQLDriverConnectW", SQL_HANDLE_DBC, dbc.Get());
    }
    long long rows = 0;
    {
        Handle statement(SQL_HANDLE_STMT, dbc.Get());
        std::vector<SQLWCHAR> sql = Widen(query);
        if (!SQL_SUCCEEDED(SQLExecDirectW(statement.Get(), sql.data(), SQL_NTS))) {
            SQLDisconnect(dbc.Get());
            return Fail("SQLExecDirectW", SQL_HANDLE_STMT, statement.Get());
        }
        Bindings bindings;
        if (!BindAll(statement.Get(), wide, bindings)) {
            SQLDisconnect(dbc.Get());
            return Fail("SQLBindCol", SQL_HANDLE_STMT, statement.Get());
        }
        SQLRETURN rc = SQL_SUCCESS;
        while (SQL_SUCCEEDED(rc = SQLFetch(statement.Get()))) {
            ++rows;
        }
        if (rc != SQL_NO_DATA) {
            SQLDisconnect(dbc.Get());
            return Fail("SQLFetch", SQL_HANDLE_STMT, statement.Get());
        }
    }
    SQLDisconnect(dbc.Get());
    std::printf("%lld rows\n", rows);
    return 0;
}
