#pragma once

#include <QFile>
#include <QList>

#include <malloc.h>
#include <unistd.h>

// This process's resident set in bytes, from /proc/self/statm; 0 if unreadable.
// Free memory that the allocator keeps for its threads' arenas is returned
// first: it comes and goes with thread timing and would hide a steady leak in noise.
inline qint64 ResidentBytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}
