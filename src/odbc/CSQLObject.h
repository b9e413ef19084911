#pragma once

#include <QString>

#include <memory>

class CConnectionShare;

// Outcome of the last ODBC call judged by CheckReturn.
enum OdbcStatus : int
{
    StatusOk = 0,             // SQL_SUCCESS
    StatusInfo = 1,           // SQL_SUCCESS_WITH_INFO
    StatusNoData = 2,         // SQL_NO_DATA
    StatusInvalidHandle = 5,  // SQL_INVALID_HANDLE
    StatusError = 6,          // SQL_ERROR, or SQL_NEED_DATA reaching the check
    StatusAborted = 7,        // long-data and progress paths gave up
    StatusStillExecuting = 8, // SQL_STILL_EXECUTING
};

// The driver-neutral half of a database connection object: its status, its
// credentials and the settings that shape statements. CODBCObject adds the
// ODBC handles.
class CSQLObject
{
public:
    CSQLObject() = default;
    CSQLObject(const CSQLObject&) = delete;
    CSQLObject& operator=(const CSQLObject&) = delete;
    virtual ~CSQLObject() = default;

    virtual int GetStatus() const { return m_status; }
    virtual void SetStatus(int status) { m_status = status; }

    const QString& GetUserName() const { return m_userName; }

    virtual int GetConvertValues() const { return m_convertValues; }
    virtual void SetConvertValues(int convert) { m_convertValues = convert; }

    virtual void SetQueryTimeout(short seconds) { m_queryTimeout = seconds; }
    virtual short GetQueryTimeout() const { return m_queryTimeout; }

    virtual void SetRowsetSize(short rows) { m_rowsetSize = rows; }
    short GetRowsetSize() const { return m_rowsetSize; }

    virtual int IsShowProgress() const { return m_showProgress; }
    void SetShowProgress(int show) { m_showProgress = show; }

protected:
    int m_status = StatusOk;
    QString m_userName;
    QString m_password;
    int m_convertValues = 0;
    short m_rowsetSize = 50;
    int m_rowIndex = 0;
    short m_queryTimeout = 120;
    int m_blockFetch = 0;
    int m_showProgress = 1;
    std::shared_ptr<CConnectionShare> m_connectionShare;
};
