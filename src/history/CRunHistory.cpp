#include "history/CRunHistory.h"

#include "history/CSqliteStatement.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

// How long a write waits for another process's.
constexpr int kBusyMilliseconds = 5000;

const char* const kSchema = R"(
CREATE TABLE runs (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    started_ms INTEGER NOT NULL,
    program TEXT NOT NULL,
    document TEXT NOT NULL,
    connections TEXT NOT NULL,
    sql_text TEXT NOT NULL,
    sql_cut INTEGER NOT NULL DEFAULT 0,
    finished INTEGER NOT NULL DEFAULT 0,
    stopped INTEGER NOT NULL DEFAULT 0,
    duration_ms INTEGER NOT NULL DEFAULT 0,
    batches INTEGER NOT NULL DEFAULT 0,
    rows INTEGER NOT NULL DEFAULT 0,
    errors INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE run_connections (
    run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    connection TEXT NOT NULL,
    rows INTEGER NOT NULL,
    errors INTEGER NOT NULL,
    failed INTEGER NOT NULL,
    started INTEGER NOT NULL,
    duration_ms INTEGER NOT NULL,
    PRIMARY KEY (run_id, position)
);
PRAGMA user_version = 1;
)";

// The columns of a run in a list, in the order ReadSummary takes them.
#define RUN_COLUMNS                                                                                \
    "id, started_ms, program, document, connections, sql_cut, finished, stopped, duration_ms, "    \
    "batches, rows, errors"

CHistoryRun ReadSummary(const CSqliteStatement& row)
{
    CHistoryRun run;
    run.id = row.Integer(0);
    run.started = QDateTime::fromMSecsSinceEpoch(row.Integer(1), Qt::UTC);
    run.program = row.Text(2);
    run.document = row.Text(3);
    run.connections = row.Text(4).split(u'\n', Qt::SkipEmptyParts);
    run.sqlCut = row.Integer(5) != 0;
    run.finished = row.Integer(6) != 0;
    run.stopped = row.Integer(7) != 0;
    run.durationMs = row.Integer(8);
    run.batches = int(row.Integer(9));
    run.rows = row.Integer(10);
    run.errors = int(row.Integer(11));
    return run;
}

QString LikePattern(const QString& filter)
{
    QString escaped = filter;
    escaped.replace(u'\\', u"\\\\"_qs).replace(u'%', u"\\%"_qs).replace(u'_', u"\\_"_qs);
    return u'%' + escaped + u'%';
}

} // namespace

QString CRunHistory::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           u"/history.sqlite"_qs;
}

bool CRunHistory::Fail(const QString& what)
{
    m_error = what + u": "_qs + m_database.LastError();
    return false;
}

bool CRunHistory::Open(const QString& path)
{
    m_error.clear();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        m_error = u"Cannot make the folder of "_qs + path;
        return false;
    }
    if (!m_database.Open(path, kBusyMilliseconds)) {
        return Fail(u"Cannot open "_qs + path);
    }
    // A run's beginning must outlive a killed program, not a lost machine: the log is synced at
    // checkpoints only.
    if (!m_database.Execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; "
                            "PRAGMA foreign_keys = ON;")) {
        return Fail(u"Cannot set up "_qs + path);
    }
    return CreateSchema();
}

bool CRunHistory::CreateSchema()
{
    // Two programs opening a new database at once: one creates, the other finds it made.
    if (!m_database.Execute("BEGIN IMMEDIATE")) {
        return Fail(u"Cannot read the history's schema"_qs);
    }
    CSqliteStatement version(m_database.Handle(), "PRAGMA user_version");
    const int found = version.Step() ? int(version.Integer(0)) : -1;
    bool ok = found == kSchemaVersion;
    if (found == 0) {
        ok = m_database.Execute(kSchema);
    }
    if (!ok || !m_database.Execute("COMMIT")) {
        const QString why = found > kSchemaVersion
                                ? u"The history was written by a newer version"_qs
                                : u"Cannot make the history's tables"_qs;
        Fail(why);
        m_database.Execute("ROLLBACK");
        return false;
    }
    return true;
}

qint64 CRunHistory::Begin(const CHistoryRun& run)
{
    CSqliteStatement insert(m_database.Handle(),
                            "INSERT INTO runs (started_ms, program, document, connections, "
                            "sql_text, sql_cut) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    insert.Bind(1, run.started.toMSecsSinceEpoch())
        .Bind(2, run.program)
        .Bind(3, run.document)
        .Bind(4, run.connections.join(u'\n'))
        .Bind(5, run.sqlText)
        .Bind(6, qint64(run.sqlCut ? 1 : 0));
    if (!insert.Run()) {
        Fail(u"Cannot record a run"_qs);
        return 0;
    }
    return m_database.LastInsertId();
}

bool CRunHistory::Complete(qint64 id, const CHistoryRun& run)
{
    qint64 rows = 0;
    qint64 errors = 0;
    if (!m_database.Execute("BEGIN IMMEDIATE")) {
        return Fail(u"Cannot complete a run"_qs);
    }
    bool ok = true;
    for (qsizetype i = 0; ok && i < run.lines.size(); ++i) {
        const CHistoryConnection& line = run.lines[i];
        rows += line.rows;
        errors += line.errors;
        CSqliteStatement insert(m_database.Handle(),
                                "INSERT OR REPLACE INTO run_connections (run_id, position, "
                                "connection, rows, errors, failed, started, duration_ms) "
                                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        insert.Bind(1, id)
            .Bind(2, qint64(i))
            .Bind(3, line.connection)
            .Bind(4, line.rows)
            .Bind(5, qint64(line.errors))
            .Bind(6, qint64(line.failed ? 1 : 0))
            .Bind(7, qint64(line.started ? 1 : 0))
            .Bind(8, line.durationMs);
        ok = insert.Run();
    }
    CSqliteStatement update(m_database.Handle(),
                            "UPDATE runs SET finished = 1, stopped = ?2, duration_ms = ?3, "
                            "batches = ?4, rows = ?5, errors = ?6 WHERE id = ?1");
    update.Bind(1, id)
        .Bind(2, qint64(run.stopped ? 1 : 0))
        .Bind(3, run.durationMs)
        .Bind(4, qint64(run.batches))
        .Bind(5, rows)
        .Bind(6, errors);
    ok = ok && update.Run() && m_database.Execute("COMMIT");
    if (!ok) {
        Fail(u"Cannot complete a run"_qs);
        m_database.Execute("ROLLBACK");
    }
    return ok;
}

bool CRunHistory::Trim(int keep)
{
    CSqliteStatement trim(m_database.Handle(), "DELETE FROM runs WHERE id NOT IN "
                                               "(SELECT id FROM runs ORDER BY id DESC LIMIT ?1)");
    trim.Bind(1, qint64(std::max(keep, 0)));
    return trim.Run() || Fail(u"Cannot trim the history"_qs);
}

QList<CHistoryRun> CRunHistory::Runs(const QString& filter, int limit) const
{
    CSqliteStatement select(m_database.Handle(),
                            "SELECT " RUN_COLUMNS " FROM runs WHERE ?1 = '' OR "
                            "sql_text LIKE ?2 ESCAPE '\\' OR document LIKE ?2 ESCAPE '\\' OR "
                            "connections LIKE ?2 ESCAPE '\\' ORDER BY id DESC LIMIT ?3");
    select.Bind(1, filter).Bind(2, LikePattern(filter)).Bind(3, qint64(limit));
    QList<CHistoryRun> runs;
    while (select.Step()) {
        runs << ReadSummary(select);
    }
    return runs;
}

std::optional<CHistoryRun> CRunHistory::Run(qint64 id) const
{
    CSqliteStatement select(m_database.Handle(),
                            "SELECT " RUN_COLUMNS ", sql_text FROM runs WHERE id = ?1");
    select.Bind(1, id);
    if (!select.Step()) {
        return std::nullopt;
    }
    CHistoryRun run = ReadSummary(select);
    run.sqlText = select.Text(12);
    CSqliteStatement lines(m_database.Handle(),
                           "SELECT connection, rows, errors, failed, started, duration_ms FROM "
                           "run_connections WHERE run_id = ?1 ORDER BY position");
    lines.Bind(1, id);
    while (lines.Step()) {
        run.lines << CHistoryConnection{lines.Text(0),         lines.Integer(1),
                                        int(lines.Integer(2)), lines.Integer(3) != 0,
                                        lines.Integer(4) != 0, lines.Integer(5)};
    }
    return run;
}
