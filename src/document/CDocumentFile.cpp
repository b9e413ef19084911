#include "CDocumentFile.h"

#include "CArchive.h"
#include "CSqlTextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("CDocumentFile", text);
}

QString UnexpectedFormat()
{
    return Tr("Unexpected file format.");
}

QString ReadErrorText(const QString& path)
{
    return Tr("An unexpected error occurred while reading %1.").arg(path);
}

QString WriteDeniedText(const QString& path)
{
    return Tr("Unable to write to %1, it is read-only or opened by someone else.").arg(path);
}

// Whether a failed save is the user's to fix (a read-only file or folder, a folder that is not
// there, a folder where the file should be) rather than an error of the system.
bool IsWriteDenied(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() && (!target.isFile() || !target.isWritable())) {
        return true;
    }
    const QFileInfo folder(target.absolutePath());
    return !folder.isDir() || !folder.isWritable();
}

} // namespace

bool CDocumentFile::IsDocumentName(const QString& path)
{
    return QFileInfo(path).fileName().toUpper().contains(QLatin1String(".TSL"));
}

QByteArray CDocumentFile::Encode(const QString& path, const CDocumentContent& content)
{
    CArchive archive(CArchive::Mode::Store);
    if (IsDocumentName(path)) {
        CConnectionDataArray connections = content.connections;
        connections.Serialize(archive);
    }
    archive.WriteBytes(CSqlTextCodec::Encode(content.sqlText));
    return archive.Bytes();
}

CDocumentContent CDocumentFile::Decode(const QString& path, const QByteArray& bytes)
{
    CDocumentContent content;
    if (!IsDocumentName(path)) {
        content.sqlText = CSqlTextCodec::Decode(bytes);
        return content;
    }
    CArchive archive(CArchive::Mode::Load, bytes);
    content.connections.Serialize(archive);
    content.sqlText = CSqlTextCodec::Decode(archive.ReadRemaining());
    return content;
}

bool CDocumentFile::Load(const QString& path, CDocumentContent& content, QString& errorText)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        errorText =
            Tr("%1\nCannot find this file.\nVerify that the correct path and file name are given.")
                .arg(path);
        return false;
    }
    // Folders, pipes and devices are not documents; opening a pipe would also block.
    if (!info.isFile()) {
        errorText = ReadErrorText(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = info.isReadable() ? Tr("Failed to open document.")
                                      : Tr("Access to %1 was denied.").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        errorText = ReadErrorText(path);
        return false;
    }
    try {
        content = Decode(path, bytes);
    } catch (const CArchiveException&) {
        errorText = UnexpectedFormat();
        return false;
    }
    return true;
}

bool CDocumentFile::Save(const QString& path, const CDocumentContent& content, QString& errorText)
{
    const QByteArray bytes = Encode(path, content);
    // Only a document file carries the connection list, and with it the passwords.
    const bool secret = IsDocumentName(path) && content.connections.StoresPassword();

    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    // The temporary file has the old file's permissions; narrow them before the password is in
    // it, and the rename carries them over to the target.
    if (ok && secret) {
        ok = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (ok) {
        ok = file.write(bytes) == bytes.size();
    }
    if (ok) {
        ok = file.commit();
    } else {
        file.cancelWriting();
    }
    if (!ok) {
        errorText = IsWriteDenied(path) ? WriteDeniedText(path) : Tr("Failed to save document.");
    }
    return ok;
}
