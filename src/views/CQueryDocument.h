#pragma once

#include "document/CDocumentFile.h"
#include "document/CSqlTextForm.h"
#include "execution/CTessellaDoc.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CConnectionData;
class CKeyring;
class CTessellaView;

// The window side of a query document: its file, its title and its modified mark, and the
// loading and saving of its connections and SQL text. The SQL text lives in the SQL editor, and
// so does the modified mark: the editor's own modify flag. The editor can only clear that flag,
// so changes outside the text (the connections) set a mark of the document's own beside it.
// Owns the run document.
class CQueryDocument : public QObject
{
    Q_OBJECT

public:
    explicit CQueryDocument(QObject* parent = nullptr);

    // What runs the SQL: the connection entries, the threads of a run and its results.
    CTessellaDoc& RunDocument() { return *m_doc; }
    const CTessellaDoc& RunDocument() const { return *m_doc; }

    // The editor that holds the text; set once by the document window.
    void AttachEditor(CTessellaView* editor);
    CTessellaView* Editor() const;

    QString PathName() const { return m_pathName; }
    QString Title() const { return m_title; }
    void SetTitle(const QString& title);
    // Also takes the file's name as the title.
    void SetPathName(const QString& path);

    bool IsModified() const;
    void SetModifiedFlag(bool modified = true);

    // Reads a file into this fresh document: appends its connections and replaces the editor's
    // text. On failure returns false with the user message in `errorText`.
    bool Load(const QString& path, QString& errorText);
    // Writes the connections and the editor's text, in the form the text was read with; on
    // success the document takes the path and is no longer modified. On failure it stays
    // modified and `errorText` gets the message.
    bool Save(const QString& path, QString& errorText);
    // How many passwords the last Save left in the file for want of a keyring.
    int PasswordsKeptInFile() const { return m_passwordsKeptInFile; }
    // The keyring of the saved passwords; the session's by default.
    void SetKeyring(CKeyring* keyring) { m_keyring = keyring; }

    // What Save would write: the connections and the editor's text.
    CDocumentContent Content() const;

    // The hints of UpdateAllViews: any change, or a connection entry for the views to show.
    static constexpr int kHintAnyChange = 0;
    static constexpr int kHintShowEntry = 1;

    // Tells the document's views about a change.
    void UpdateAllViews(QObject* sender, int hint = kHintAnyChange,
                        const CConnectionData* entry = nullptr);

signals:
    void updated(QObject* sender, int hint, const CConnectionData* entry);
    void titleChanged(const QString& title);
    void modifiedChanged(bool modified);
    void saved(const QString& path);

private:
    void OnEditorModified(bool modified);
    CKeyring& Keyring() const;

    CTessellaDoc* m_doc;
    bool m_otherChanges = false;
    QPointer<CTessellaView> m_editor;
    QString m_pathName;
    QString m_title;
    // The encoding and line ends of the file the text came from, or of new text.
    CSqlTextForm m_textForm;
    CKeyring* m_keyring = nullptr;
    int m_passwordsKeptInFile = 0;
};
