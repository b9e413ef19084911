#include "views/CDocumentSaver.h"

#include "appbase/CMessageStrings.h"
#include "appbase/CSuperApp.h"
#include "document/CDocumentFile.h"
#include "views/CQueryDocument.h"

#include <QFileDialog>

namespace {

QMessageBox::StandardButton Ask(const QString& text)
{
    CSuperApp* app = CSuperApp::Instance();
    return app ? app->AskYesNoCancel(text) : QMessageBox::Cancel;
}

void ShowError(const QString& text)
{
    if (CSuperApp* app = CSuperApp::Instance()) {
        app->ShowError(text);
    }
}

// Once a session: every later save would say the same.
void TellOnceOfMissingKeyring()
{
    static bool told = false;
    CSuperApp* app = CSuperApp::Instance();
    if (told || !app) {
        return;
    }
    told = true;
    app->ShowInformation(QObject::tr(
        "No desktop keyring (Secret Service) is available, so the saved passwords stay in the "
        "document file, readable by you only."));
}

} // namespace

bool CDocumentSaver::SaveModified()
{
    if (!m_document.IsModified()) {
        return true;
    }
    const QString name =
        m_document.PathName().isEmpty() ? m_document.Title() : m_document.PathName();
    switch (Ask(CMessageStrings::Text(MsgAskToSave).arg(name))) {
    case QMessageBox::Yes:
        return DoFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CDocumentSaver::DoFileSave()
{
    // A file that cannot be replaced where it is gets saved elsewhere, as "Save As" would.
    const QString path = m_document.PathName();
    if (path.isEmpty() || CDocumentFile::IsWriteDenied(path)) {
        return DoSave(QString());
    }
    return DoSave(path);
}

bool CDocumentSaver::DoSave(const QString& path)
{
    const QString target = path.isEmpty() ? AskPath() : path;
    if (target.isEmpty()) {
        return false;
    }
    QString errorText;
    if (!m_document.Save(target, errorText)) {
        ShowError(errorText);
        return false;
    }
    if (m_document.PasswordsKeptInFile() > 0) {
        TellOnceOfMissingKeyring();
    }
    return true;
}

void CDocumentSaver::PrepareSaveDialog(QFileDialog& dialog, const QString& suggestedPath)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QObject::tr("Tessella Files (*.tsl)"));
    dialog.setDefaultSuffix(QStringLiteral("tsl"));
    dialog.selectFile(suggestedPath);
}

QString CDocumentSaver::SuggestedPath() const
{
    if (!m_document.PathName().isEmpty()) {
        return m_document.PathName();
    }
    return m_document.Title() + QStringLiteral(".tsl");
}

QString CDocumentSaver::AskPath() const
{
    QFileDialog dialog(m_parent);
    dialog.setWindowTitle(QObject::tr("Save As"));
    PrepareSaveDialog(dialog, SuggestedPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}
