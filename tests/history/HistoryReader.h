#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Reads a history database with Python's own sqlite3 module: what another program sees of it.
// The rows of `sql`, one a line, their fields joined by tabs; a null reads "NULL". Empty with
// `error` set when Python failed.
inline QStringList ReadWithPython(const QString& database, const QString& sql, QString& error)
{
    static const char* const script = R"(
import sqlite3, sys
con = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
for row in con.execute(sys.argv[2]):
    print("\t".join("NULL" if v is None else str(v) for v in row))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(script), database, sql});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        error = QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The bytes of the database and of its write-ahead log, as they are on the disk.
inline QByteArray DatabaseBytes(const QString& database)
{
    QByteArray bytes;
    for (const QString& path : {database, database + QStringLiteral("-wal")}) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            bytes += file.readAll();
        }
    }
    return bytes;
}
