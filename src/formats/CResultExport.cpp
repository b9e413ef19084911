#include "formats/CResultExport.h"

#include "execution/CResultStore.h"
#include "formats/CXlsxWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

#include <cstdio>

namespace {

// Bytes a text target gathers before they go to its file.
constexpr qsizetype kDrainBytes = qsizetype(1) << 20;

QString FileNamePart(const QString& connection)
{
    QString part;
    for (const QChar c : connection) {
        part += c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.' ? c : QChar(u'_');
    }
    return part;
}

} // namespace

struct CResultExport::Target
{
    QString connection; // empty for the one file of all
    QString path;
    // A text format:
    std::unique_ptr<QSaveFile> file;
    QByteArray bytes;
    std::unique_ptr<CResultWriter> writer;
    // A workbook:
    QString temporaryPath;
    std::unique_ptr<CXlsxWriter> workbook;

    CResultSink& Sink() { return writer ? static_cast<CResultSink&>(*writer) : *workbook; }
};

CResultExport::CResultExport(const CResultStore& store, CExportRequest request)
    : m_store(store), m_request(std::move(request))
{
    m_options.connectionColumn = !m_request.filePerConnection;
    m_options.connectionHeader = QStringLiteral("Connection");
    for (const qsizetype set : m_request.sets) {
        m_rowsTotal += m_store.ResultSet(set).RowCount();
    }
}

CResultExport::~CResultExport()
{
    Cancel();
}

CCutValues CResultExport::FindCut(const CResultStore& store, const QList<qsizetype>& sets)
{
    CCutValues cut;
    QSet<QString> named;
    for (const qsizetype index : sets) {
        const CResultSet& set = store.ResultSet(index);
        for (qsizetype row = 0; row < set.RowCount(); ++row) {
            const CMarkTable::Marks marks = set.Marks(row);
            if (!marks.Any()) {
                continue;
            }
            for (int column = 0; column < set.Columns().size(); ++column) {
                if (!marks.IsCut(column)) {
                    continue;
                }
                ++cut.count;
                const QString place =
                    QStringLiteral("%1: %2").arg(set.Connection(), set.Columns()[column]);
                if (!named.contains(place)) {
                    named.insert(place);
                    cut.places << place;
                }
            }
        }
    }
    return cut;
}

QString CResultExport::FileFor(const CExportRequest& request, const QString& connection)
{
    if (!request.filePerConnection) {
        return request.path;
    }
    const QFileInfo info(request.path);
    return info.dir().filePath(QStringLiteral("%1-%2.%3")
                                   .arg(info.completeBaseName(), FileNamePart(connection),
                                        ResultFormatSuffix(request.format)));
}

QStringList CResultExport::Files() const
{
    QStringList files;
    for (const auto& target : m_targets) {
        files << target->path;
    }
    return files;
}

bool CResultExport::Start(QString& error)
{
    QStringList connections;
    for (const qsizetype set : m_request.sets) {
        const QString& connection = m_store.ResultSet(set).Connection();
        if (!connections.contains(connection)) {
            connections << connection;
        }
    }
    if (!m_request.filePerConnection) {
        connections = {QString()};
    }
    for (const QString& connection : connections) {
        auto target = std::make_unique<Target>();
        target->connection = connection;
        target->path = FileFor(m_request, connection);
        if (m_request.format == ResultFormat::Xlsx) {
            const QFileInfo info(target->path);
            QTemporaryFile temporary(info.dir().filePath(info.fileName() + u".XXXXXX"_qs));
            if (!temporary.open()) {
                error = QStringLiteral("Cannot write %1: %2")
                            .arg(target->path, temporary.errorString());
                return false;
            }
            temporary.setAutoRemove(false);
            target->temporaryPath = temporary.fileName();
            target->workbook =
                std::make_unique<CXlsxWriter>(target->temporaryPath, m_options, info.path());
        } else {
            target->file = std::make_unique<QSaveFile>(target->path);
            if (!target->file->open(QIODevice::WriteOnly)) {
                error = QStringLiteral("Cannot write %1: %2")
                            .arg(target->path, target->file->errorString());
                return false;
            }
            target->writer = MakeResultWriter(m_request.format, target->bytes, m_options);
            const std::string_view prologue = target->writer->Prologue();
            target->bytes.append(prologue.data(), qsizetype(prologue.size()));
        }
        m_targets.push_back(std::move(target));
    }
    return true;
}

CResultExport::Target& CResultExport::TargetOf(const QString& connection)
{
    if (!m_request.filePerConnection) {
        return *m_targets.front();
    }
    for (const auto& target : m_targets) {
        if (target->connection == connection) {
            return *target;
        }
    }
    return *m_targets.front();
}

bool CResultExport::Step(qsizetype rows)
{
    while (m_set < m_request.sets.size()) {
        const CResultSet& set = m_store.ResultSet(m_request.sets[m_set]);
        Target& target = TargetOf(set.Connection());
        if (m_row == 0) {
            target.Sink().BeginSet({set.Connection(), set.Batch(), set.Result(), set.Columns()});
        }
        for (; m_row < set.RowCount() && rows > 0; ++m_row, --rows) {
            WriteRow(target, set, m_row);
        }
        if (target.writer && !Drain(target, false)) {
            return true; // Commit tells
        }
        if (m_row < set.RowCount()) {
            return false;
        }
        target.Sink().EndSet();
        ++m_set;
        m_row = 0;
    }
    return true;
}

void CResultExport::WriteRow(Target& target, const CResultSet& set, qsizetype row)
{
    const QString text = set.Row(row).Text();
    target.Sink().WriteRow(m_fields.Split(text, set.Columns().size(), set.Marks(row)));
    ++m_rowsWritten;
}

bool CResultExport::Drain(Target& target, bool all)
{
    if (target.bytes.size() < kDrainBytes && !all) {
        return true;
    }
    if (target.file->write(target.bytes) != target.bytes.size() && m_error.isEmpty()) {
        m_error =
            QStringLiteral("Cannot write %1: %2").arg(target.path, target.file->errorString());
    }
    target.bytes.resize(0);
    return m_error.isEmpty();
}

bool CResultExport::Commit(QString& error)
{
    for (const auto& target : m_targets) {
        if (target->writer) {
            target->writer->EndSet();
            const std::string_view epilogue = target->writer->Epilogue();
            target->bytes.append(epilogue.data(), qsizetype(epilogue.size()));
            Drain(*target, true);
        } else if (QString failure; !target->workbook->Close(failure) && m_error.isEmpty()) {
            m_error = failure;
        }
    }
    // Nothing is put in place unless every file was written.
    for (const auto& target : m_targets) {
        if (!m_error.isEmpty()) {
            break;
        }
        if (target->file && !target->file->commit()) {
            m_error = QStringLiteral("Cannot write %1: %2")
                          .arg(target->path, target->file->errorString());
        } else if (!target->temporaryPath.isEmpty()) {
            // rename() puts the new file in the old one's place in one step.
            if (std::rename(QFile::encodeName(target->temporaryPath).constData(),
                            QFile::encodeName(target->path).constData()) != 0) {
                m_error = QStringLiteral("Cannot write %1.").arg(target->path);
            } else {
                target->temporaryPath.clear();
            }
        }
    }
    error = m_error;
    const bool written = m_error.isEmpty();
    Cancel();
    return written;
}

void CResultExport::Cancel()
{
    for (const auto& target : m_targets) {
        if (target->file && target->file->isOpen()) {
            target->file->cancelWriting();
            target->file->commit(); // a cancelled file is removed, the target kept
        }
        if (target->workbook) {
            QString ignored;
            target->workbook->Close(ignored);
        }
        if (!target->temporaryPath.isEmpty()) {
            QFile::remove(target->temporaryPath);
        }
    }
    m_targets.clear();
}
