#include "views/CQueryDocument.h"

#include "document/CDocumentFile.h"
#include "keyring/CDocumentPasswords.h"
#include "keyring/CKeyring.h"
#include "views/CTessellaView.h"

#include <QFileInfo>

CQueryDocument::CQueryDocument(QObject* parent) : QObject(parent), m_doc(new CTessellaDoc(this))
{
}

void CQueryDocument::AttachEditor(CTessellaView* editor)
{
    m_editor = editor;
    connect(editor, &CTessellaView::modificationChanged, this, &CQueryDocument::OnEditorModified);
}

void CQueryDocument::SetTitle(const QString& title)
{
    if (title != m_title) {
        m_title = title;
        emit titleChanged(m_title);
    }
}

void CQueryDocument::SetPathName(const QString& path)
{
    m_pathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
}

bool CQueryDocument::IsModified() const
{
    return m_otherChanges || (m_editor && m_editor->isModified());
}

void CQueryDocument::SetModifiedFlag(bool modified)
{
    const bool was = IsModified();
    m_otherChanges = modified;
    if (!modified && m_editor) {
        m_editor->setModified(false);
    }
    if (IsModified() != was) {
        emit modifiedChanged(IsModified());
    }
}

void CQueryDocument::OnEditorModified(bool modified)
{
    if (!m_otherChanges) {
        emit modifiedChanged(modified);
    }
}

bool CQueryDocument::Load(const QString& path, QString& errorText)
{
    CDocumentContent content;
    if (!CDocumentFile::Load(path, content, errorText)) {
        return false;
    }
    CDocumentPasswords(Keyring()).FillFromKeyring(path, content.connections);
    m_doc->m_connections.append(content.connections);
    m_textForm = content.textForm;
    if (m_editor) {
        m_editor->SetDocumentText(content.sqlText);
        m_editor->SetLineEnd(m_textForm.lineEnd);
    }
    SetPathName(path);
    UpdateAllViews(nullptr);
    return true;
}

bool CQueryDocument::Save(const QString& path, QString& errorText)
{
    CDocumentContent content;
    CDocumentPasswords passwords(Keyring());
    content.connections = passwords.ForFile(path, m_doc->m_connections);
    m_passwordsKeptInFile = passwords.KeptInFile();
    content.sqlText = m_editor ? m_editor->DocumentText() : QString();
    content.textForm = m_textForm;
    if (!CDocumentFile::Save(path, content, errorText, &m_textForm)) {
        return false;
    }
    if (m_editor) {
        m_editor->SetLineEnd(m_textForm.lineEnd);
    }
    SetPathName(path);
    SetModifiedFlag(false);
    emit saved(m_pathName);
    return true;
}

CDocumentContent CQueryDocument::Content() const
{
    CDocumentContent content;
    content.connections = m_doc->m_connections;
    content.sqlText = m_editor ? m_editor->text() : QString();
    return content;
}

void CQueryDocument::UpdateAllViews(QObject* sender, int hint, const CConnectionData* entry)
{
    emit updated(sender, hint, entry);
}

CKeyring& CQueryDocument::Keyring() const
{
    return m_keyring ? *m_keyring : CKeyring::Session();
}

CTessellaView* CQueryDocument::Editor() const
{
    return m_editor;
}
