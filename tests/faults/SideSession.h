#pragma once

#include "odbc/CODBCObject.h"

#include <QStringList>

// A second connection beside a document's, for what a test does to the
// server behind the document's back: terminating its sessions, creating the
// views it reads.
class SideSession
{
public:
    SideSession(const QString& dsn, const QString& user, const QString& password);

    bool IsOpen() const { return m_open; }
    // The first column of every row of the first result set; empty on failure,
    // with the driver's diagnostics in Problem().
    QStringList Column(const QString& sql);
    bool Execute(const QString& sql);
    const QString& Problem() const { return m_problem; }

private:
    CODBCObject m_db;
    bool m_open = false;
    QString m_problem;
};
