#include "document/CRecoveryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QLatin1String kDocumentSuffix(".tsl");
const QLatin1String kRecordSuffix(".json");
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString Tr(const char* text)
{
    return QCoreApplication::translate("CRecoveryStore", text);
}

// The permissions go on the temporary file before anything is in it; the rename keeps them.
bool WritePrivately(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly) && file.setPermissions(kOwnerOnly) &&
              file.write(bytes) == bytes.size();
    if (ok) {
        ok = file.commit();
    } else {
        file.cancelWriting();
    }
    return ok;
}

QByteArray RecordBytes(const CRecoveryCopy& copy)
{
    QJsonObject record;
    record.insert(QStringLiteral("title"), copy.title);
    record.insert(QStringLiteral("path"), copy.pathName);
    record.insert(QStringLiteral("written"), copy.written.toUTC().toString(Qt::ISODateWithMs));
    return QJsonDocument(record).toJson();
}

} // namespace

bool CRecoveryStore::MakePrivateFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        QDir().mkdir(path,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // A folder made before, or by an older umask, is narrowed too.
    return QFileInfo(path).isDir() &&
           QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
}

QString CRecoveryStore::DocumentPath(const QString& key) const
{
    return QDir(m_folder).filePath(key + kDocumentSuffix);
}

QString CRecoveryStore::RecordPath(const QString& key) const
{
    return QDir(m_folder).filePath(key + kRecordSuffix);
}

bool CRecoveryStore::Write(const CRecoveryCopy& copy, QString& errorText) const
{
    // The document first: a record is only ever listed with the document it describes.
    const QString document = DocumentPath(copy.key);
    if (!MakePrivateFolder(m_folder) ||
        !WritePrivately(document, CDocumentFile::Encode(document, copy.content)) ||
        !WritePrivately(RecordPath(copy.key), RecordBytes(copy))) {
        errorText = Tr("The recovery copy of %1 cannot be written to %2.")
                        .arg(copy.pathName.isEmpty() ? copy.title : copy.pathName, m_folder);
        return false;
    }
    return true;
}

bool CRecoveryStore::ReadRecord(const QString& key, CRecoveryCopy& copy) const
{
    QFile file(RecordPath(key));
    if (!QFileInfo(DocumentPath(key)).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll());
    if (!json.isObject()) {
        return false;
    }
    const QJsonObject record = json.object();
    copy.key = key;
    copy.title = record.value(QStringLiteral("title")).toString();
    copy.pathName = record.value(QStringLiteral("path")).toString();
    copy.written = QDateTime::fromString(record.value(QStringLiteral("written")).toString(),
                                         Qt::ISODateWithMs);
    return !copy.title.isEmpty() || !copy.pathName.isEmpty();
}

QList<CRecoveryCopy> CRecoveryStore::List() const
{
    QList<CRecoveryCopy> copies;
    const QStringList records =
        QDir(m_folder).entryList({QLatin1Char('*') + kRecordSuffix}, QDir::Files, QDir::Name);
    for (const QString& name : records) {
        CRecoveryCopy copy;
        if (ReadRecord(name.chopped(kRecordSuffix.size()), copy)) {
            copies << copy;
        }
    }
    return copies;
}

bool CRecoveryStore::Read(const QString& key, CRecoveryCopy& copy, QString& errorText) const
{
    CRecoveryCopy read;
    if (!ReadRecord(key, read)) {
        errorText = Tr("The recovery copy %1 is incomplete.").arg(DocumentPath(key));
        return false;
    }
    if (!CDocumentFile::Load(DocumentPath(key), read.content, errorText)) {
        return false;
    }
    copy = read;
    return true;
}

void CRecoveryStore::Remove(const QString& key) const
{
    // The record first: a copy half removed is no longer listed.
    QFile::remove(RecordPath(key));
    QFile::remove(DocumentPath(key));
}

bool CRecoveryStore::IsEmpty() const
{
    return List().isEmpty();
}

void CRecoveryStore::RemoveFolder() const
{
    QDir(m_folder).removeRecursively();
}
