#pragma once

#include "QtPrinters.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private ODBC configuration in a temporary folder, reached through both
// ODBCSYSINI and ODBCINI, so that no test reads or writes the user's own data
// sources. One instance per process (see TestMain.cpp); data sources are added
// and removed while tests run.
class OdbcTestConfig
{
public:
    OdbcTestConfig();
    ~OdbcTestConfig();

    static OdbcTestConfig& Instance();

    QString Folder() const { return m_dir.path(); }

    // Adds or replaces a data source; `attributes` are written as "Key = value".
    void SetDataSource(const QString& name, const QMap<QString, QString>& attributes);
    void RemoveDataSource(const QString& name);
    // Many at once, written out once.
    void SetDataSources(const QMap<QString, QMap<QString, QString>>& sources);
    void RemoveDataSources(const QStringList& names);

    // Absolute path of a driver library of this machine, e.g. "libsqlite3odbc.so".
    static QString DriverPath(const QString& library);

private:
    void WriteDataSources() const;

    QTemporaryDir m_dir;
    QMap<QString, QMap<QString, QString>> m_dataSources;
};

// A fresh SQLite database file and a data source for it, both gone with the object.
class SqliteDataSource
{
public:
    explicit SqliteDataSource(const QString& name = {});
    ~SqliteDataSource();
    SqliteDataSource(const SqliteDataSource&) = delete;
    SqliteDataSource& operator=(const SqliteDataSource&) = delete;

    const QString& Name() const { return m_name; }
    QString DatabasePath() const { return m_dir.filePath(QStringLiteral("test.db")); }

private:
    QTemporaryDir m_dir;
    QString m_name;
};
