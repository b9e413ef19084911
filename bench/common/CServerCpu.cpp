#include "CServerCpu.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

struct ProcessTimes
{
    qint64 parent = 0;
    qint64 own = 0;      // utime + stime, in clock ticks
    qint64 children = 0; // cutime + cstime of the children it has reaped
};

bool ReadTimes(const QString& statPath, ProcessTimes& times)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = stat.readAll();
    // "pid (comm) state ppid ...": the name may hold blanks, the fields after it do not.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0) {
        return false;
    }
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    // state is field 3 of the line; utime, stime, cutime and cstime are 14 to 17.
    if (fields.size() < 15) {
        return false;
    }
    times.parent = fields[1].toLongLong();
    times.own = fields[11].toLongLong() + fields[12].toLongLong();
    times.children = fields[13].toLongLong() + fields[14].toLongLong();
    return true;
}

qint64 PidOf(const QString& file)
{
    QFile pid(file);
    return pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toLongLong() : 0;
}

// The process itself, its reaped children and, with `live`, the children still running.
qint64 TicksOf(qint64 pid, bool live)
{
    ProcessTimes times;
    if (pid <= 0 || !ReadTimes(QStringLiteral("/proc/%1/stat").arg(pid), times)) {
        return 0;
    }
    qint64 ticks = times.own + times.children;
    if (!live) {
        return ticks;
    }
    const QStringList entries = QDir(u"/proc"_qs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        ProcessTimes child;
        if (entry.front().isDigit() && ReadTimes(u"/proc/"_qs + entry + u"/stat"_qs, child) &&
            child.parent == pid) {
            ticks += child.own;
        }
    }
    return ticks;
}

} // namespace

double CServerCpu::Seconds() const
{
    const QDir folder(m_stateFolder);
    const qint64 ticks = TicksOf(PidOf(folder.filePath(u"mariadb.pid"_qs)), false) +
                         TicksOf(PidOf(folder.filePath(u"pg.pid"_qs)), true);
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}
