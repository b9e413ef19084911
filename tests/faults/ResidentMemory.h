#pragma once

#include <QFile>
#include <QList>

#include <unistd.h>

// This process's resident set in bytes, from /proc/self/statm; 0 if unreadable.
inline qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}
