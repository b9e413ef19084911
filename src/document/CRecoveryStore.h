#pragma once

#include "document/CDocumentFile.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

// One document's unsaved state as the recovery folder keeps it.
struct CRecoveryCopy
{
    // Names the copy within its folder.
    QString key;
    // The document's name as its window showed it, and its file; empty for an untitled one.
    QString title;
    QString pathName;
    QDateTime written;
    CDocumentContent content;
};

// One folder of recovery copies. Each copy is a document file of the program's own kind beside
// a small record of its name, file and time; both readable and writable by their owner only,
// since a document may keep passwords. Writes go through a temporary file, so a crash in the
// middle leaves the previous copy whole.
class CRecoveryStore
{
public:
    explicit CRecoveryStore(QString folder) : m_folder(std::move(folder)) {}

    const QString& Folder() const { return m_folder; }

    // Creates the folder (owner only) when it is not there.
    bool Write(const CRecoveryCopy& copy, QString& errorText) const;
    // The copies whose record and document are both there, by key; without their content.
    QList<CRecoveryCopy> List() const;
    // The whole copy, content included; false when it is gone or cannot be read.
    bool Read(const QString& key, CRecoveryCopy& copy, QString& errorText) const;
    void Remove(const QString& key) const;
    bool IsEmpty() const;
    // The folder and everything in it.
    void RemoveFolder() const;

    // A folder readable, writable and searchable by its owner only; made when missing.
    static bool MakePrivateFolder(const QString& path);

private:
    QString DocumentPath(const QString& key) const;
    QString RecordPath(const QString& key) const;
    bool ReadRecord(const QString& key, CRecoveryCopy& copy) const;

    QString m_folder;
};
