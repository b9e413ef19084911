#pragma once

#include "odbc/CSQLObject.h"
#include "odbc/ColumnInfo.h"
#include "odbc/DiagRecord.h"
#include "odbc/DriverTraits.h"
#include "odbc/ValueMarks.h"

#include <QString>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <atomic>
#include <memory>
#include <vector>

// One bound statement parameter.
struct ParameterInfo
{
    SQLUSMALLINT number = 0;
    int direction = 0; // 0 input, 1 output, 2 input/output
    int valueType = TypeNone;
    int parameterType = TypeNone;
    SQLPOINTER value = nullptr;
    SQLLEN length = 0;
    SQLLEN indicator = 0;
};

// Supplies a long parameter's data in pieces: fills at most `size` bytes of
// `buffer` and answers how many it wrote, 0 at the end of the value, or a
// negative number to send NULL instead.
using ParameterDataCallback = SQLLEN (*)(void* context, SQLUSMALLINT parameter, void* buffer,
                                         SQLLEN size);

// One ODBC connection handle and one statement handle over the process-wide
// environment (COdbcEnvironment's). Every ODBC call on the object's handles
// goes through one of the virtual Sql* wrappers below, and every return code
// through CheckReturn, so that a subclass can watch or replace any call; the
// installer's configuration is read through OdbcInstaller. ODBC outcomes are
// never thrown: an operation answers true/false (or a count, -1 on failure) and
// leaves the status code in the object; the diagnostic text is read afterwards.
//
// An object is used by one thread at a time.
class CODBCObject : public CSQLObject
{
public:
    CODBCObject();
    ~CODBCObject() override;

    // Where connect errors go when a caller asks for them to be shown; the
    // application installs a message box, headless programs leave it unset.
    using ErrorDisplay = void (*)(const QString& text);
    static void SetErrorDisplay(ErrorDisplay display);

    // --- connection ------------------------------------------------------
    virtual bool AllocEnvironment();
    virtual bool AllocConnection();
    // Connects with the completed "DSN=...;UID=...;PWD=..." string and never
    // prompts. On failure the diagnostic text goes to `errorText` when given.
    virtual bool ConnectNoPrompt(const QString& dataSource, const QString& user,
                                 const QString& password, const QString& catalog = {},
                                 int timeOut = 30, bool showErrors = false,
                                 QString* errorText = nullptr, bool readOnly = false);
    virtual bool Connect(const QString& dataSource, const QString& user, const QString& password,
                         const QString& catalog = {}, int timeOut = 30, bool showErrors = false,
                         QString* errorText = nullptr);
    virtual bool ConnectWithString(const QString& connectString, int timeOut = 30,
                                   bool showErrors = false, QString* errorText = nullptr);
    // Shares `source`'s open connection; the last of the two to disconnect
    // really disconnects.
    virtual bool Clone(CODBCObject& source);
    virtual bool Disconnect();
    // Nonzero while a connection handle is held. Safe to ask from another
    // thread (the connection tree does) while the owning thread works.
    virtual int IsConnected() const { return m_hdbcHeld.load(std::memory_order_acquire); }

    // "DSN=...;UID=...;PWD=..." as the data source's driver reads it; empty when a value could
    // end its attribute early or add one there (a connect then passes the values to SQLConnect).
    virtual QString BuildConnectString(const odbc::DriverTraits& traits, const QString& dataSource,
                                       const QString& user, const QString& password,
                                       bool useFileDsn = false);
    virtual bool ApplyDriverOptions(const odbc::DriverTraits& traits, QString& connectString);
    virtual bool AfterConnect();
    virtual bool SetCatalog(const QString& name);

    // Lists the driver manager's data sources: SQL_FETCH_FIRST, then
    // SQL_FETCH_NEXT until it answers false.
    virtual bool GetDataSource(SQLUSMALLINT direction, QString& name,
                               QString* description = nullptr);
    virtual SQLRETURN BrowseConnect(const QString& input, QString& output);
    virtual QString GetDriverName();
    virtual QString GetDataSourceName();
    // What the driver of the connection needs beyond plain ODBC, learnt by the last connect.
    const odbc::DriverTraits& Traits() const { return m_traits; }

    // --- statement set-up --------------------------------------------------
    // Allocates the statement when needed and readies it for the next one.
    virtual bool PrepareStatement();
    virtual bool Close();
    virtual bool SetAsyncMode(bool on);
    virtual void UnbindColumns();
    virtual void ResetParameters();
    // Creates the statement when needed, then limits result sets to `rows`.
    virtual bool SetMaxRows(SQLULEN rows);

    // --- execution ---------------------------------------------------------
    // Runs `text` directly; with `describe` the result columns are bound too.
    virtual bool ExecuteSql(const QString& text, bool describe = true, bool useCursor = false,
                            int cursorType = 0, ParameterDataCallback callback = nullptr,
                            void* context = nullptr);
    virtual bool PrepareSql(const QString& text, bool useCursor = false, int cursorType = 0);
    virtual bool ExecutePrepared(bool describe = true, ParameterDataCallback callback = nullptr,
                                 void* context = nullptr);
    // "{?=call procedure}" with the return value bound to `returnValue`.
    virtual bool CallProcedure(const QString& procedure, SQLINTEGER* returnValue,
                               bool useCursor = false, int cursorType = 0);
    virtual bool BindParameter(SQLUSMALLINT number, int valueType, int parameterType,
                               SQLPOINTER value, SQLLEN length, int direction = 0,
                               bool useDefault = false);
    virtual SQLRETURN SendParameterData(ParameterDataCallback callback, void* context);
    // Runs asynchronously, asking ShouldAbortExecution while the driver works.
    virtual bool ExecuteWithProgress(const QString& text, bool describe = true,
                                     ParameterDataCallback callback = nullptr,
                                     void* context = nullptr);
    // Nonzero asks ExecuteWithProgress to cancel the statement.
    virtual int ShouldAbortExecution() { return 0; }

    virtual bool BeginTransaction();
    virtual bool CommitTransaction();
    virtual bool RollbackTransaction();
    virtual bool IsTransactionOpen();
    // Both the driver manager's and the driver's ODBC versions are at least 2.00.
    virtual bool CheckVersions(QString& driverVersion, QString& managerVersion,
                               QString& requiredVersion);
    // 1 when the statement's records are only warnings, -1 at the first real error.
    virtual int HasErrorRecords();

    // --- result columns and rows -----------------------------------------------
    virtual int GetColumnCount();
    virtual SQLLEN GetRowCount();
    virtual int GetParameterCount();
    virtual bool DescribeColumn(int number, ColumnInfo& column);
    virtual bool DescribeColumns();
    virtual bool BindColumn(ColumnInfo& column);
    virtual bool FetchFirst();
    virtual bool FetchNext();
    virtual bool ExtendedFetch(SQLUSMALLINT orientation);
    virtual bool SetCursorType(int cursorKind);
    // Appends the current row: values joined by tabs, NULL empty, tabs inside
    // values made blanks, unbound (binary) values "[Binary data]" unless NULL.
    virtual void FormatRow(QString& text);
    // True when FormatRow cut a UTF-8 value to the column's size: the driver
    // gave no warning for it, the caller shows CutValueWarning.
    bool RowWasCut() const { return m_rowCut; }
    // What FormatRow found of the current row's values: which are NULL, which cut short.
    const odbc::ValueMarks& RowMarks() const { return m_rowMarks; }
    virtual bool MoreResults();
    virtual SQLLEN GetCurrentRow() const { return m_currentRow; }
    // 1: the statement's row number plus the rowset index; 2: plus the current row - 1.
    virtual SQLLEN GetRowNumber(int kind = 0);
    // Reads one value as text: from its bound element, or piecewise for a long column.
    virtual bool GetValueText(int column, QString& text);

    const std::vector<std::unique_ptr<ColumnInfo>>& Columns() const { return m_columns; }

    // Binds text columns as UTF-8 instead of wide text from the next result
    // on; only for a driver whose 8-bit text is UTF-8 (DriverTraits::utf8Text).
    // `fullElement`: a value may show one character beyond the display size
    // (DriverTraits::fullWideElements).
    void SetUtf8Text(bool on, bool fullElement = false)
    {
        m_utf8Text = on;
        m_utf8FullElement = fullElement;
    }
    bool Utf8Text() const { return m_utf8Text; }
    // Hands statements to the driver as UTF-8 through the 8-bit entry point,
    // for a driver that has no other (DriverTraits::utf8Statements): the driver
    // manager's own conversion cannot carry characters beyond the Basic
    // Multilingual Plane and mangles the whole statement when it meets one.
    void SetUtf8Statements(bool on) { m_utf8Statements = on; }

    // The widest element bound for one value, in characters. Drivers report
    // display sizes of up to 2^32-1 for unbounded types; longer values arrive
    // cut, with the driver's truncation warning.
    static constexpr SQLLEN kMaxElementChars = 8192;

    // --- return codes and diagnostics --------------------------------------
    // Judges `rc` into the status code; true for SQL_SUCCESS(_WITH_INFO).
    virtual bool CheckReturn(SQLRETURN rc, bool report = true);
    // All diagnostic records of the handles, one "SQLSTATE message" line each,
    // appended to `text` joined by CR LF; they are read once. False with an empty
    // text when there is none. `nativeError` gets the first record's native code,
    // or one of the two below.
    virtual bool GetErrorText(QString& text, SQLINTEGER* nativeError = nullptr, bool strip = false);
    // Native codes of our own for records that carry none the user could look up:
    // a record says the link to the server failed (08S01), or the first is the
    // ODBC 2 general error (S1000) without a code of the driver's.
    static constexpr SQLINTEGER kNativeLinkFailure = 5;
    static constexpr SQLINTEGER kNativeGeneralError = 8;

    const QString& GetDbmsName() const { return m_dbmsName; }
    const QString& GetDataSourceField() const { return m_dataSource; }
    const QString& GetConnectString() const { return m_connectString; }
    SQLHDBC GetHdbc() const { return m_hdbc; }
    SQLHSTMT GetHstmt() const { return m_hstmt; }

    // --- ODBC call wrappers: each passes its arguments to one ODBC function --
    virtual SQLRETURN SqlAllocConnect();
    virtual SQLRETURN SqlAllocStmt();
    virtual SQLRETURN SqlError(SQLWCHAR* state, SQLINTEGER* nativeError, SQLWCHAR* message,
                               SQLSMALLINT messageMax, SQLSMALLINT* messageLength);
    virtual SQLRETURN SqlConnect(const QString& dataSource, const QString& user,
                                 const QString& password);
    virtual SQLRETURN SqlDriverConnect(SQLHWND window, const QString& connectString,
                                       SQLWCHAR* completed, SQLSMALLINT completedMax,
                                       SQLSMALLINT* completedLength, SQLUSMALLINT completion);
    virtual SQLRETURN SqlBrowseConnect(const QString& input, SQLWCHAR* output,
                                       SQLSMALLINT outputMax, SQLSMALLINT* outputLength);
    virtual SQLRETURN SqlSetConnectAttr(SQLINTEGER attribute, SQLULEN value);
    virtual SQLRETURN SqlSetConnectAttrText(SQLINTEGER attribute, const QString& value);
    virtual SQLRETURN SqlGetConnectOption(SQLUSMALLINT option, SQLPOINTER value);
    virtual SQLRETURN SqlSetStmtOption(SQLUSMALLINT option, SQLULEN value);
    virtual SQLRETURN SqlGetStmtOption(SQLUSMALLINT option, SQLPOINTER value);
    virtual SQLRETURN SqlGetFunctions(SQLUSMALLINT function, SQLUSMALLINT* supported);
    virtual SQLRETURN SqlDataSources(SQLUSMALLINT direction, SQLWCHAR* name, SQLSMALLINT nameMax,
                                     SQLSMALLINT* nameLength, SQLWCHAR* description,
                                     SQLSMALLINT descriptionMax, SQLSMALLINT* descriptionLength);
    // Catalog calls: a null QString passes a null pointer, an empty one "".
    virtual SQLRETURN SqlTables(const QString& catalog, const QString& schema, const QString& table,
                                const QString& tableType);
    virtual SQLRETURN SqlTablePrivileges(const QString& catalog, const QString& schema,
                                         const QString& table);
    virtual SQLRETURN SqlColumns(const QString& catalog, const QString& schema,
                                 const QString& table, const QString& column);
    virtual SQLRETURN SqlStatistics(const QString& catalog, const QString& schema,
                                    const QString& table, SQLUSMALLINT unique,
                                    SQLUSMALLINT reserved);
    virtual SQLRETURN SqlPrimaryKeys(const QString& catalog, const QString& schema,
                                     const QString& table);
    virtual SQLRETURN SqlForeignKeys(const QString& pkCatalog, const QString& pkSchema,
                                     const QString& pkTable, const QString& fkCatalog,
                                     const QString& fkSchema, const QString& fkTable);
    // SQL_DBMS_NAME and the like as text (at most 255 characters); emptied on failure.
    virtual SQLRETURN GetInfoString(SQLUSMALLINT infoType, QString& value);
    virtual SQLRETURN SqlGetInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT valueMax,
                                 SQLSMALLINT* valueLength);
    virtual SQLRETURN SqlParamData(SQLPOINTER* value);
    virtual SQLRETURN SqlBindParameter(SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                                       SQLSMALLINT sqlType, SQLULEN columnSize,
                                       SQLSMALLINT decimalDigits, SQLPOINTER value,
                                       SQLLEN bufferLength, SQLLEN* indicator);
    virtual SQLRETURN SqlPutData(SQLPOINTER data, SQLLEN length);
    virtual SQLRETURN SqlPrepare(const QString& text);
    virtual SQLRETURN SqlExecute();
    virtual SQLRETURN SqlExecDirect(const QString& text);
    virtual SQLRETURN SqlTransact(SQLUSMALLINT completion);
    virtual SQLRETURN SqlEndTran(SQLUSMALLINT completion);
    virtual SQLRETURN SqlNumResultCols(SQLSMALLINT* count);
    virtual SQLRETURN SqlNumParams(SQLSMALLINT* count);
    virtual SQLRETURN SqlDescribeCol(SQLUSMALLINT column, SQLWCHAR* name, SQLSMALLINT nameMax,
                                     SQLSMALLINT* nameLength, SQLSMALLINT* sqlType,
                                     SQLULEN* columnSize, SQLSMALLINT* decimalDigits,
                                     SQLSMALLINT* nullable);
    virtual SQLRETURN SqlDescribeParam(SQLUSMALLINT number, SQLSMALLINT* sqlType, SQLULEN* size,
                                       SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable);
    virtual SQLRETURN SqlColAttribute(SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER textValue,
                                      SQLSMALLINT textMax, SQLSMALLINT* textLength,
                                      SQLLEN* numericValue);
    virtual SQLRETURN SqlBindCol(SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER buffer,
                                 SQLLEN bufferLength, SQLLEN* indicator);
    virtual SQLRETURN SqlFetch();
    virtual SQLRETURN SqlExtendedFetch(SQLUSMALLINT orientation, SQLLEN offset, SQLULEN* rowCount,
                                       SQLUSMALLINT* rowStatus);
    virtual SQLRETURN SqlGetData(SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER buffer,
                                 SQLLEN bufferLength, SQLLEN* indicator);
    virtual SQLRETURN SqlRowCount(SQLLEN* count);
    virtual SQLRETURN SqlMoreResults();
    virtual SQLRETURN SqlCancel();
    virtual SQLRETURN SqlGetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                    SQLWCHAR* state, SQLINTEGER* nativeError, SQLWCHAR* message,
                                    SQLSMALLINT messageMax, SQLSMALLINT* messageLength);
    virtual SQLRETURN SqlDisconnect();
    // SQL_DROP frees the handle and forgets it; other options call SQLFreeStmt.
    virtual SQLRETURN SqlFreeStmt(SQLUSMALLINT option);
    virtual SQLRETURN SqlCloseCursor();
    virtual SQLRETURN SqlFreeConnect();

protected:
    // Disconnects and frees the connection handle, also when the driver
    // refuses the disconnect; what destruction does.
    void ReleaseConnection();
    // Gives the statement the query time-out; a step of PrepareStatement.
    virtual void ApplyQueryTimeout();
    // The connect steps shared by the three connect operations.
    void SetTimeouts(int timeOut, int loginTimes);
    SQLRETURN DriverConnect(const QString& connectString, SQLUSMALLINT completion,
                            QString& completed);
    // Applies the driver options and connects: with BuildConnectString's string, or with
    // SQLConnect when it gives none; false when the options were refused.
    bool OpenConnection(const QString& dataSource, const QString& user, const QString& password,
                        SQLUSMALLINT completion, QString& completed, SQLRETURN& rc);
    void TakeConnection(const QString& user, const QString& completed);
    // Shares the new connection and learns what its driver is.
    void ShareConnection();
    // Sets the options a new statement needs on this driver.
    void ApplyStatementOptions();
    void ReportError(bool showErrors, QString* errorText);
    void ReleaseShare();
    SQLRETURN ExecuteNeedDataLoop(SQLRETURN rc, ParameterDataCallback callback, void* context);
    SQLRETURN RepeatUntilCancelled(const QString& text);
    bool ReadAutocommit(SQLULEN& value);
    bool EndTransaction(SQLUSMALLINT completion);
    bool ReadLongValue(ColumnInfo& column, QString& text);
    // True when the current row holds NULL in a column that is read piecewise.
    bool UnboundValueIsNull(const ColumnInfo& column);
    // The diagnostic records of one handle, read without consuming them, so that
    // they can still be reported afterwards.
    std::vector<odbc::DiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

    int m_progressEnabled = 1;
    int m_loginTimeOut = 0; // seconds, of the connect under way; 0 for none
    // Assign the connection handle only through SetHdbc, which keeps m_hdbcHeld true.
    void SetHdbc(SQLHDBC hdbc);

    SQLHDBC m_hdbc = SQL_NULL_HDBC;
    std::atomic<bool> m_hdbcHeld{false};
    SQLHSTMT m_hstmt = SQL_NULL_HSTMT;
    SQLLEN m_currentRow = -1;
    short m_currentRowCompanion = -1;
    std::vector<std::unique_ptr<ColumnInfo>> m_columns;
    std::vector<std::unique_ptr<ParameterInfo>> m_parameters;
    std::vector<SQLUSMALLINT> m_rowStatus;
    SQLULEN m_rowsFetched = 0;
    bool m_utf8Text = false;
    bool m_utf8FullElement = false;
    bool m_rowCut = false;
    odbc::ValueMarks m_rowMarks;
    bool m_utf8Statements = false;
    QString m_dbmsName;
    QString m_dataSource;
    QString m_connectString;
    odbc::DriverTraits m_traits;
};
