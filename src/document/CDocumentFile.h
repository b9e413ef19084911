#pragma once

#include "document/CConnectionDataArray.h"
#include "document/CSqlTextForm.h"

#include <QString>

// What a query document file holds.
struct CDocumentContent
{
    CConnectionDataArray connections;
    QString sqlText;
    // How the text was stored, so that saving writes it back the same way; new text has the
    // form of new text.
    CSqlTextForm textForm;
};

// Reads and writes query documents. The file's name alone chooses its shape: a full document
// (connections, then the SQL text) or bare SQL text.
class CDocumentFile
{
public:
    // ".TSL" anywhere in the upper-cased last path component (extension included): a full
    // document; else bare SQL text.
    static bool IsDocumentName(const QString& path);

    // Whether Save would refuse `path` for the user to fix: a read-only file or folder, a folder
    // that is not there, a folder where the file should be. Asked as the effective user, whom
    // open() and rename() go by.
    static bool IsWriteDenied(const QString& path);

    // On success replaces `content` with what the file holds (bare text gives no connections).
    // On failure returns false, leaves `content` untouched and puts the user message in
    // `errorText`.
    static bool Load(const QString& path, CDocumentContent& content, QString& errorText);

    // Writes through a temporary file beside the target, so a failed save leaves the old file
    // as it was. A file that holds a password is made readable and writable by its owner only;
    // otherwise an existing file keeps its permissions. On failure returns false and puts the
    // user message in `errorText`. On success `savedForm`, when given, gets the form the text
    // now has in the file, for the next save.
    static bool Save(const QString& path, const CDocumentContent& content, QString& errorText,
                     CSqlTextForm* savedForm = nullptr);

    // The file's bytes for `content` as `path` would get them; Save writes exactly these. The
    // text keeps its form, except that a full document gets text of another origin in its own
    // form (Windows-1252 and CR LF, as its other readers expect).
    static QByteArray Encode(const QString& path, const CDocumentContent& content,
                             CSqlTextForm* savedForm = nullptr);
    // Parses file bytes as Load does, without touching the disk. Throws CArchiveException when a
    // full document is malformed.
    static CDocumentContent Decode(const QString& path, const QByteArray& bytes);
};
