#include "document/CDocumentFile.h"

#include "document/CArchive.h"
#include "document/CSqlTextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// Asks with the effective user and its capabilities, as open() and rename() will decide;
// QFileInfo::isWritable() asks with the real user, which differs under a set-user-ID start or
// for root without its file capabilities.
bool MayWrite(const QString& path)
{
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

// Opens `path` for reading without blocking on a pipe put there after the caller looked; false
// with errno set when the system refuses or the file is not a plain file (EISDIR then).
bool OpenRegularFile(const QString& path, QFile& file)
{
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EISDIR;
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

} // namespace

bool CDocumentFile::IsWriteDenied(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() && (!target.isFile() || !MayWrite(path))) {
        return true;
    }
    const QFileInfo folder(target.absolutePath());
    return !folder.isDir() || !MayWrite(folder.filePath());
}

bool CDocumentFile::IsDocumentName(const QString& path)
{
    return QFileInfo(path).fileName().toUpper().contains(QLatin1String(".TSL"));
}

QByteArray CDocumentFile::Encode(const QString& path, const CDocumentContent& content,
                                 CSqlTextForm* savedForm)
{
    CArchive archive(CArchive::Mode::Store);
    CSqlTextForm form = content.textForm;
    if (IsDocumentName(path)) {
        CConnectionDataArray connections = content.connections;
        connections.Serialize(archive);
        if (!form.documentFile) {
            form = CSqlTextForm::NewDocumentText();
        }
    }
    CEncodedSqlText text = CSqlTextCodec::Encode(content.sqlText, form);
    archive.WriteBytes(text.bytes);
    if (savedForm) {
        *savedForm = text.form;
    }
    return archive.Bytes();
}

CDocumentContent CDocumentFile::Decode(const QString& path, const QByteArray& bytes)
{
    CDocumentContent content;
    if (!IsDocumentName(path)) {
        CDecodedSqlText text = CSqlTextCodec::Decode(bytes);
        content.sqlText = std::move(text.text);
        content.textForm = text.form;
        return content;
    }
    CArchive archive(CArchive::Mode::Load, bytes);
    content.connections.Serialize(archive);
    CDecodedSqlText text = CSqlTextCodec::Decode(archive.ReadRemaining(), true);
    content.sqlText = std::move(text.text);
    content.textForm = text.form;
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
    QFile file;
    if (!OpenRegularFile(path, file)) {
        // The system's own answer, not a guess from the permission bits: those do not bind root,
        // and access control lists and read-only mounts are not in them.
        const int reason = errno;
        if (reason == EACCES || reason == EPERM) {
            errorText = Tr("Access to %1 was denied.").arg(path);
        } else {
            errorText = reason == EISDIR ? ReadErrorText(path) : Tr("Failed to open document.");
        }
        return false;
    }
    try {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            errorText = ReadErrorText(path);
            return false;
        }
        content = Decode(path, bytes);
    } catch (const CArchiveException&) {
        errorText = UnexpectedFormat();
        return false;
    } catch (const std::bad_alloc&) {
        // A file larger than the memory left (or a wrong file chosen by mistake) is an error of
        // this one document, not a reason to lose every other open window.
        errorText = ReadErrorText(path);
        return false;
    }
    return true;
}

bool CDocumentFile::Save(const QString& path, const CDocumentContent& content, QString& errorText,
                         CSqlTextForm* savedForm)
{
    CSqlTextForm form;
    const QByteArray bytes = Encode(path, content, &form);
    // Only a document file carries the connection list, and with it the passwords.
    const bool secret = IsDocumentName(path) && content.connections.StoresPassword();

    // QSaveFile asks the real user whether an existing file is read-only; root without its
    // file capabilities would otherwise replace a file it may not write.
    if (IsWriteDenied(path)) {
        errorText = WriteDeniedText(path);
        return false;
    }
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
    } else if (savedForm) {
        *savedForm = form;
    }
    return ok;
}
