#include "odbc/CODBCObject.h"

#include "odbc/CConnectionShare.h"
#include "odbc/COdbcEnvironment.h"
#include "odbc/ConnectString.h"
#include "odbc/OdbcInstaller.h"
#include "odbc/OdbcString.h"
#include "odbc/SystemUser.h"

namespace {

// Name given to drivers that record the calling application.
constexpr char16_t kApplicationName[] = u"Tessella";

// SQL Server driver options set while connecting to it.
constexpr SQLINTEGER kSsConcatNull = 1222;
constexpr SQLINTEGER kSsUseProcForPrep = 1202;
constexpr SQLINTEGER kSsPreserveCursors = 1204;
constexpr SQLUSMALLINT kSsRegionalize = 1229;

CODBCObject::ErrorDisplay s_errorDisplay = nullptr;

QString CursorTypeSuffix(SQLULEN type)
{
    switch (type) {
    case SQL_CURSOR_FORWARD_ONLY:
        return QStringLiteral("(to SQL_CURSOR_FORWARD_ONLY)");
    case SQL_CURSOR_KEYSET_DRIVEN:
        return QStringLiteral("(to SQL_CURSOR_KEYSET_DRIVEN)");
    case SQL_CURSOR_DYNAMIC:
        return QStringLiteral("(to SQL_CURSOR_DYNAMIC)");
    case SQL_CURSOR_STATIC:
        return QStringLiteral("(to SQL_CURSOR_STATIC)");
    default:
        return {};
    }
}

// The message without its bracketed vendor and driver prefixes.
QString StripPrefixes(const QString& message)
{
    const qsizetype bracket = message.lastIndexOf(u']');
    if (bracket < 0) {
        return message;
    }
    qsizetype start = bracket + 1;
    if (start < message.size() && message[start] == u' ') {
        ++start;
    }
    return message.mid(start);
}

} // namespace

void CODBCObject::SetErrorDisplay(ErrorDisplay display)
{
    s_errorDisplay = display;
}

CODBCObject::CODBCObject()
{
    COdbcEnvironment::AddUser();
}

CODBCObject::~CODBCObject()
{
    // Virtual calls resolve to this class here, which is what we want: a
    // subclass is already gone.
    ReleaseConnection();
    COdbcEnvironment::ReleaseUser();
}

void CODBCObject::ReleaseConnection()
{
    if (!CODBCObject::Disconnect() && m_hdbc != SQL_NULL_HDBC) {
        // The driver refused to disconnect (an open transaction, a dead link):
        // roll back and try once more rather than leak the handle.
        SqlEndTran(SQL_ROLLBACK);
        SqlDisconnect();
        SqlFreeConnect();
        SetHdbc(SQL_NULL_HDBC);
    }
}

void CODBCObject::SetHdbc(SQLHDBC hdbc)
{
    m_hdbc = hdbc;
    m_hdbcHeld.store(hdbc != SQL_NULL_HDBC, std::memory_order_release);
}

// --- connection ------------------------------------------------------------

bool CODBCObject::AllocEnvironment()
{
    if (COdbcEnvironment::Handle() != SQL_NULL_HENV) {
        return true;
    }
    return CheckReturn(COdbcEnvironment::Allocate());
}

bool CODBCObject::AllocConnection()
{
    // A connection that the driver refuses to drop is kept rather than leaked.
    if (!Disconnect()) {
        return false;
    }
    return CheckReturn(SqlAllocConnect());
}

void CODBCObject::SetTimeouts(int timeOut, int loginTimes)
{
    m_loginTimeOut = timeOut;
    // Drivers that refuse these still get connected.
    for (int i = 0; i < loginTimes; ++i) {
        CheckReturn(SqlSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT, static_cast<SQLULEN>(timeOut)));
    }
    CheckReturn(SqlSetConnectAttr(SQL_ATTR_CONNECTION_TIMEOUT, static_cast<SQLULEN>(timeOut)));
}

SQLRETURN CODBCObject::DriverConnect(const QString& connectString, SQLUSMALLINT completion,
                                     QString& completed)
{
    odbc::WideBuffer out(1024);
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SqlDriverConnect(nullptr, connectString, out.data(), 1023, &length, completion);
    completed = out.text();
    return rc;
}

bool CODBCObject::OpenConnection(const QString& dataSource, const QString& user,
                                 const QString& password, SQLUSMALLINT completion,
                                 QString& completed, SQLRETURN& rc)
{
    m_traits = odbc::DriverTraits::ForDataSource(dataSource);
    QString connectString = BuildConnectString(m_traits, dataSource, user, password, false);
    const bool safe = !connectString.isEmpty();
    // The driver's attributes are set either way; the keys they add to a string (the
    // application's name) are lost to SQLConnect, which is only used for drivers we do not know.
    if (!ApplyDriverOptions(m_traits, connectString)) {
        return false;
    }
    if (safe) {
        rc = DriverConnect(connectString, completion, completed);
    } else {
        // In a string the driver would read part of a value as attributes of its own (another
        // database file, a library to load): SQLConnect hands the three over as they are.
        completed.clear();
        rc = SqlConnect(dataSource, user, password);
    }
    return true;
}

void CODBCObject::TakeConnection(const QString& user, const QString& completed)
{
    QString name = user;
    if (name.isEmpty()) {
        name = odbc::ConnectValue(completed, QStringLiteral("UID"));
    }
    if (name.isEmpty()) {
        name = odbc::LoggedOnUserName();
    }
    m_userName = name;
    ShareConnection();
}

void CODBCObject::ShareConnection()
{
    ReleaseShare();
    m_connectionShare = std::make_shared<CConnectionShare>(m_hdbc);
    GetInfoString(SQL_DBMS_NAME, m_dbmsName);
    m_traits.LearnConnectedDriver(GetDriverName(), m_dbmsName);
}

void CODBCObject::ReportError(bool showErrors, QString* errorText)
{
    QString text;
    GetErrorText(text);
    if (errorText) {
        *errorText = text;
    } else if (showErrors) {
        if (s_errorDisplay) {
            s_errorDisplay(text);
        }
        Close();
    }
}

void CODBCObject::ReleaseShare()
{
    if (m_connectionShare) {
        m_connectionShare->Release();
        m_connectionShare.reset();
    }
}

bool CODBCObject::ConnectNoPrompt(const QString& dataSource, const QString& user,
                                  const QString& password, const QString& catalog, int timeOut,
                                  bool showErrors, QString* errorText, bool readOnly)
{
    SetStatus(StatusOk);
    if (!AllocEnvironment() || !AllocConnection()) {
        return false;
    }
    SetTimeouts(timeOut, 1);
    // Set before connecting: the diagnostics of a failed attempt are masked with it.
    m_password = password;
    if (readOnly) {
        SqlSetConnectAttr(SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY);
    }
    QString completed;
    SQLRETURN rc = SQL_ERROR;
    if (!OpenConnection(dataSource, user, password, SQL_DRIVER_NOPROMPT, completed, rc)) {
        SqlFreeConnect();
        return false;
    }
    if (!CheckReturn(rc)) {
        ReportError(showErrors, errorText);
        SqlFreeConnect();
        return false;
    }
    m_connectString = completed;
    m_dataSource = dataSource;
    TakeConnection(user, completed);
    if (AfterConnect() && (catalog.isEmpty() || SetCatalog(catalog)) && PrepareStatement()) {
        return true;
    }
    ReportError(showErrors, errorText);
    Disconnect();
    return false;
}

bool CODBCObject::Connect(const QString& dataSource, const QString& user, const QString& password,
                          const QString& catalog, int timeOut, bool showErrors, QString* errorText)
{
    SetStatus(StatusOk);
    if (!AllocEnvironment() || !AllocConnection()) {
        return false;
    }
    SetTimeouts(timeOut, 2);
    // Set before connecting: the diagnostics of a failed attempt are masked with it.
    m_password = password;
    QString completed;
    SQLRETURN rc = SQL_ERROR;
    if (!OpenConnection(dataSource, user, password, SQL_DRIVER_COMPLETE, completed, rc)) {
        SqlFreeConnect();
        return false;
    }
    if (!CheckReturn(rc)) {
        ReportError(showErrors, errorText);
        SqlFreeConnect();
        return false;
    }
    m_connectString = completed;
    m_dataSource = dataSource;
    TakeConnection(user, completed);
    if (!AfterConnect() || !PrepareStatement()) {
        ReportError(showErrors, errorText);
        Disconnect();
        return false;
    }
    // A catalog that cannot be chosen is reported, but the connection stays.
    if (!catalog.isEmpty() && !SetCatalog(catalog)) {
        ReportError(showErrors, errorText);
    }
    return true;
}

bool CODBCObject::ConnectWithString(const QString& connectString, int timeOut, bool showErrors,
                                    QString* errorText)
{
    SetStatus(StatusOk);
    if (!AllocEnvironment() || !AllocConnection()) {
        return false;
    }
    SetTimeouts(timeOut, 2);
    m_password = odbc::ConnectValue(connectString, QStringLiteral("PWD"));
    // The string is the driver's to read: only the data source the object was
    // last connected to by name is known here.
    m_traits = odbc::DriverTraits::ForDataSource(m_dataSource);
    QString completed;
    if (!CheckReturn(DriverConnect(connectString, SQL_DRIVER_COMPLETE, completed))) {
        ReportError(showErrors, errorText);
        SqlFreeConnect();
        return false;
    }
    m_userName = odbc::ConnectValue(completed, QStringLiteral("UID"));
    m_password = odbc::ConnectValue(completed, QStringLiteral("PWD"));
    ShareConnection();
    if (AfterConnect() && PrepareStatement()) {
        return true;
    }
    ReportError(showErrors, errorText);
    Disconnect();
    return false;
}

bool CODBCObject::Clone(CODBCObject& source)
{
    if (!source.IsConnected() || !source.m_connectionShare || &source == this) {
        return false;
    }
    if (!Disconnect()) {
        return false;
    }
    SetHdbc(source.m_hdbc);
    m_connectionShare = source.m_connectionShare;
    m_connectionShare->AddUser();
    m_dbmsName = source.m_dbmsName;
    m_dataSource = source.m_dataSource;
    m_connectString = source.m_connectString;
    m_userName = source.m_userName;
    m_password = source.m_password;
    m_convertValues = source.m_convertValues;
    m_traits = source.m_traits;
    return PrepareStatement();
}

bool CODBCObject::Disconnect()
{
    Close();
    if (m_hstmt != SQL_NULL_HSTMT) {
        CheckReturn(SqlFreeStmt(SQL_DROP));
    }
    bool last = true;
    if (m_connectionShare) {
        last = m_connectionShare->Release();
        m_connectionShare.reset();
    }
    if (!last) {
        SetHdbc(SQL_NULL_HDBC);
        return true;
    }
    if (m_hdbc != SQL_NULL_HDBC) {
        if (!CheckReturn(SqlDisconnect())) {
            return false;
        }
        CheckReturn(SqlFreeConnect());
    }
    SetHdbc(SQL_NULL_HDBC);
    return true;
}

QString CODBCObject::BuildConnectString(const odbc::DriverTraits& traits, const QString& dataSource,
                                        const QString& user, const QString& password,
                                        bool useFileDsn)
{
    QString key = QStringLiteral("DSN");
    if (useFileDsn) {
        if (odbc::DataSourceEntry(dataSource, u"Driver"_qs).isEmpty()) {
            key = QStringLiteral("FILEDSN");
        }
    }
    return traits.braces.ConnectString(key, dataSource, user, password).value_or(QString());
}

bool CODBCObject::ApplyDriverOptions(const odbc::DriverTraits& traits, QString& connectString)
{
    if (traits.sqlServerLogin) {
        SqlSetConnectAttr(kSsConcatNull, 0);
        connectString += u";APP="_qs + QString::fromUtf16(kApplicationName);
    }
    // The key bounds nothing after login.
    if (m_loginTimeOut > 0 && traits.handshakeTimeoutKey) {
        connectString += u";CONN_TIMEOUT="_qs + QString::number(m_loginTimeOut);
    }
    connectString += traits.firstRowsKeys;
    SqlSetConnectAttr(SQL_ATTR_ODBC_CURSORS, SQL_CUR_USE_IF_NEEDED);
    return true;
}

bool CODBCObject::AfterConnect()
{
    QString dropped;
    if (m_traits.sqlServerStatements) {
        if (!CheckReturn(SqlSetConnectAttr(kSsUseProcForPrep, 0))) {
            GetErrorText(dropped);
        }
        SqlSetConnectAttr(kSsPreserveCursors, 1);
        return true;
    }
    if (m_traits.backslashesAreData) {
        if (!ExecuteSql(QStringLiteral("SET sql_mode='NO_BACKSLASH_ESCAPES'"), false)) {
            GetErrorText(dropped);
        }
    }
    return true;
}

bool CODBCObject::SetCatalog(const QString& name)
{
    odbc::WideBuffer current(257);
    const SQLRETURN rc = SqlGetConnectOption(SQL_CURRENT_QUALIFIER, current.data());
    if (SQL_SUCCEEDED(rc) && current.text().compare(name, Qt::CaseInsensitive) != 0) {
        return CheckReturn(SqlSetConnectAttrText(SQL_ATTR_CURRENT_CATALOG, name));
    }
    return true;
}

bool CODBCObject::GetDataSource(SQLUSMALLINT direction, QString& name, QString* description)
{
    if (!AllocEnvironment()) {
        return false;
    }
    odbc::WideBuffer nameBuffer(33);
    odbc::WideBuffer descriptionBuffer(33);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    const SQLRETURN rc = SqlDataSources(direction, nameBuffer.data(), 33, &nameLength,
                                        descriptionBuffer.data(), 33, &descriptionLength);
    if (!CheckReturn(rc)) {
        return false;
    }
    name = nameBuffer.text();
    if (description) {
        *description = descriptionBuffer.text();
    }
    return true;
}

SQLRETURN CODBCObject::BrowseConnect(const QString& input, QString& output)
{
    odbc::WideBuffer out(2000);
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SqlBrowseConnect(input, out.data(), 2000, &length);
    output = out.text();
    return rc;
}

QString CODBCObject::GetDriverName()
{
    QString name;
    GetInfoString(SQL_DRIVER_NAME, name);
    return name;
}

QString CODBCObject::GetDataSourceName()
{
    QString name;
    GetInfoString(SQL_DATA_SOURCE_NAME, name);
    return name.isEmpty() ? m_dataSource : name;
}

// --- statement set-up -----------------------------------------------------

bool CODBCObject::PrepareStatement()
{
    m_rowIndex = 0;
    m_currentRow = -1;
    m_currentRowCompanion = -1;
    if (m_hstmt == SQL_NULL_HSTMT) {
        const SQLRETURN rc = SqlAllocStmt();
        if (SQL_SUCCEEDED(rc)) {
            ApplyStatementOptions();
        }
        if (!CheckReturn(rc)) {
            return false;
        }
    }
    Close();
    ApplyQueryTimeout();
    SetAsyncMode(false);
    return true;
}

void CODBCObject::ApplyStatementOptions()
{
    if (m_traits.sqlServerStatements && !SQL_SUCCEEDED(SqlSetStmtOption(kSsRegionalize, 0))) {
        QString dropped;
        GetErrorText(dropped);
    }
}

void CODBCObject::ApplyQueryTimeout()
{
    // Statements run without a time-out when the driver refuses one.
    CheckReturn(SqlSetStmtOption(SQL_QUERY_TIMEOUT, static_cast<SQLULEN>(m_queryTimeout)));
}

bool CODBCObject::Close()
{
    bool closed = true;
    if (m_hstmt != SQL_NULL_HSTMT) {
        m_blockFetch = 0;
        SqlCancel();
        closed = CheckReturn(SqlFreeStmt(SQL_CLOSE));
    }
    UnbindColumns();
    ResetParameters();
    m_rowStatus.clear();
    m_rowIndex = 0;
    m_currentRow = -1;
    m_currentRowCompanion = -1;
    return closed;
}

bool CODBCObject::SetAsyncMode(bool on)
{
    return CheckReturn(
        SqlSetStmtOption(SQL_ASYNC_ENABLE, on ? SQL_ASYNC_ENABLE_ON : SQL_ASYNC_ENABLE_OFF));
}

void CODBCObject::UnbindColumns()
{
    if (m_hstmt != SQL_NULL_HSTMT) {
        SqlFreeStmt(SQL_UNBIND);
    }
    m_columns.clear();
}

void CODBCObject::ResetParameters()
{
    if (m_hstmt != SQL_NULL_HSTMT) {
        SqlFreeStmt(SQL_RESET_PARAMS);
    }
    m_parameters.clear();
}

// --- return codes and diagnostics -------------------------------------------

bool CODBCObject::CheckReturn(SQLRETURN rc, bool /*report*/)
{
    switch (rc) {
    case SQL_SUCCESS:
        SetStatus(StatusOk);
        return true;
    case SQL_SUCCESS_WITH_INFO:
        SetStatus(StatusInfo);
        return true;
    case SQL_STILL_EXECUTING:
        SetStatus(StatusStillExecuting);
        return false;
    case SQL_ERROR:
    case SQL_NEED_DATA:
        SetStatus(StatusError);
        return false;
    case SQL_NO_DATA:
        SetStatus(StatusNoData);
        return false;
    case SQL_INVALID_HANDLE:
        SetStatus(StatusInvalidHandle);
        return false;
    default:
        return false;
    }
}

bool CODBCObject::GetErrorText(QString& text, SQLINTEGER* nativeError, bool strip)
{
    SQLRETURN end = SQL_SUCCESS;
    const std::vector<odbc::DiagRecord> records = odbc::ReadDiagRecords(
        [this](SQLSMALLINT, SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message,
               SQLSMALLINT messageMax, SQLSMALLINT* messageLength) {
            return SqlError(state, native, message, messageMax, messageLength);
        },
        &end);
    if (records.empty()) {
        if (end == SQL_NO_DATA) {
            text.clear();
        }
        return false;
    }
    bool linkFailure = false;
    for (const odbc::DiagRecord& record : records) {
        linkFailure = linkFailure || record.state == u"08S01"_qs;
        if (!text.isEmpty()) {
            text += u"\r\n";
        }
        text += strip ? StripPrefixes(record.message) : record.state + u' ' + record.message;
    }
    text = odbc::MaskPassword(text, m_password);
    if (nativeError) {
        *nativeError = records.front().nativeError;
    }
    if (linkFailure && nativeError) {
        *nativeError = kNativeLinkFailure;
    } else if (nativeError && *nativeError == 0 && records.front().state == u"S1000"_qs) {
        *nativeError = kNativeGeneralError;
    } else if (text.contains(u"Cursor type changed")) {
        SQLULEN cursorType = 0;
        if (SQL_SUCCEEDED(SqlGetStmtOption(SQL_CURSOR_TYPE, &cursorType))) {
            text += CursorTypeSuffix(cursorType);
        }
    }
    return true;
}

std::vector<odbc::DiagRecord> CODBCObject::ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    if (handle == SQL_NULL_HANDLE) {
        return {};
    }
    return odbc::ReadDiagRecords([this, handleType, handle](SQLSMALLINT number, SQLWCHAR* state,
                                                            SQLINTEGER* native, SQLWCHAR* message,
                                                            SQLSMALLINT messageMax,
                                                            SQLSMALLINT* messageLength) {
        return SqlGetDiagRec(handleType, handle, number, state, native, message, messageMax,
                             messageLength);
    });
}
