#include "views/CTessellaView.h"

#include "appbase/CMessageStrings.h"
#include "appbase/CSuperApp.h"
#include "appbase/CWaitCursor.h"
#include "document/CSqlTextCodec.h"
#include "views/CFindDialog.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <Qsci/qscilexersql.h>

namespace {

struct MenuItem
{
    Command command;
    const char* text;
};

// The context menu, in order; a null text is a separator.
const MenuItem kContextMenu[] = {
    {Command::EditUndo, "&Undo\tCtrl+Z"},
    {Command::EditCut, "Cu&t\tCtrl+X"},
    {Command::EditCopy, "&Copy\tCtrl+C"},
    {Command::EditPaste, "&Paste\tCtrl+V"},
    {Command::PasteFromFile, "Paste from file..."},
    {Command::EditSelectAll, "Select A&ll\tCtrl+A"},
    {Command::EditSelectAll, nullptr},
    {Command::EditFind, "&Find...\tCtrl+F"},
    {Command::EditFindNext, "F&ind Next\tF3"},
    {Command::EditReplace, "R&eplace\tCtrl+H"},
};

void ShowError(const QString& text)
{
    if (CSuperApp* app = CSuperApp::Instance()) {
        app->ShowError(text);
    }
}

} // namespace

CTessellaView::CTessellaView(QWidget* parent)
    : QsciScintilla(parent), m_lexer(new QsciLexerSQL(this))
{
    SetUpEditor();
}

void CTessellaView::SetUpEditor()
{
    setUtf8(true);
    setLexer(m_lexer);
    // New text is saved as typed, so its lines end in LF until a file brings its own line end.
    // Pasted text gets the same line end (Scintilla converts it on pasting).
    setEolMode(EolUnix);
    setWrapMode(WrapWord);
    SendScintilla(SCI_SETHSCROLLBAR, 1);
    // Margin 1 is the selection bar: a click there selects the line.
    setMarginWidth(0, 0);
    setMarginWidth(1, 12);
    setMarginWidth(2, 0);
    setMarginSensitivity(1, false);
    setAutoIndent(true);
}

QString CTessellaView::TakeRunText()
{
    if (!hasSelectedText()) {
        selectAll(true);
    }
    return selectedText();
}

void CTessellaView::SetDocumentText(const QString& text)
{
    ReplaceAllText(text);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

// setText() would stop at a NUL and turn bytes that are not UTF-8 into U+FFFD; the editor keeps
// any bytes it is given with their length, so the text goes in as the codec's UTF-8.
void CTessellaView::ReplaceAllText(const QString& text)
{
    const QByteArray bytes = CSqlTextCodec::EncodeUtf8(text);
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, uintptr_t(bytes.size()), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    setReadOnly(readOnly);
}

QString CTessellaView::DocumentText() const
{
    const auto length = qsizetype(SendScintilla(SCI_GETLENGTH));
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return CSqlTextCodec::DecodeUtf8(QByteArrayView(bytes, length));
}

void CTessellaView::SetLineEnd(CSqlTextForm::LineEnd lineEnd)
{
    switch (lineEnd) {
    case CSqlTextForm::LineEnd::Lf:
        setEolMode(EolUnix);
        break;
    case CSqlTextForm::LineEnd::CrLf:
        setEolMode(EolWindows);
        break;
    case CSqlTextForm::LineEnd::Cr:
        setEolMode(EolMac);
        break;
    }
}

CSqlTextForm::LineEnd CTessellaView::LineEnd() const
{
    switch (eolMode()) {
    case EolWindows:
        return CSqlTextForm::LineEnd::CrLf;
    case EolMac:
        return CSqlTextForm::LineEnd::Cr;
    default:
        return CSqlTextForm::LineEnd::Lf;
    }
}

void CTessellaView::SetEditorFont(const QFont& font)
{
    setFont(font);
    m_lexer->setDefaultFont(font);
    m_lexer->setFont(font, -1);
    // The lexer's fonts reach the styles only when it is set again.
    setLexer(m_lexer);
}

QFont CTessellaView::EditorFont() const
{
    return m_lexer->font(QsciLexerSQL::Default);
}

void CTessellaView::PreparePasteDialog(QFileDialog& dialog)
{
    dialog.setWindowTitle(tr("Paste from..."));
    dialog.setNameFilter(QStringLiteral("(*.*) (*)"));
    dialog.setDefaultSuffix(QStringLiteral("sql"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
}

void CTessellaView::OnPasteFromFile()
{
    QFileDialog dialog(this);
    PreparePasteDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    PasteFromFile(dialog.selectedFiles().constFirst());
}

bool CTessellaView::PasteFromFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        ShowError(CMessageStrings::Text(MsgFileNotFound).arg(path));
        return false;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        ShowError(info.isFile() && !info.isReadable()
                      ? CMessageStrings::Text(MsgAccessDenied).arg(path)
                      : CMessageStrings::Text(MsgFailedToOpenDocument));
        return false;
    }
    CWaitCursor wait;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ShowError(CMessageStrings::Text(MsgFailedToOpenDocument));
        return false;
    }
    if (!bytes.isEmpty()) {
        // The file's text comes in as it is stored, line ends included: a literal that spans
        // lines runs with the line end the file gives it. Lines added later get that line end.
        const QString text = CSqlTextCodec::Decode(bytes).text;
        ReplaceAllText(text);
        SetLineEnd(CSqlTextCodec::DominantLineEnd(text, LineEnd()));
    }
    return true;
}

QMenu* CTessellaView::CreateContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    for (const MenuItem& item : kContextMenu) {
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(tr(item.text));
        action->setObjectName(QString::number(CommandNumber(item.command)));
        action->setStatusTip(CMessageStrings::Text(CommandNumber(item.command)));
        bool enabled = false;
        action->setEnabled(UpdateCommand(item.command, enabled) && enabled);
        const Command command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    return menu;
}

void CTessellaView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool CTessellaView::CanPaste() const
{
    return !isReadOnly() && const_cast<CTessellaView*>(this)->SendScintilla(SCI_CANPASTE) != 0;
}

bool CTessellaView::UpdateCommand(Command command, bool& enabled) const
{
    switch (command) {
    case Command::EditUndo:
        enabled = isUndoAvailable();
        return true;
    case Command::EditCut:
        enabled = hasSelectedText() && !isReadOnly();
        return true;
    case Command::EditCopy:
        enabled = hasSelectedText();
        return true;
    case Command::EditPaste:
        enabled = CanPaste();
        return true;
    case Command::PasteFromFile:
        enabled = !isReadOnly();
        return true;
    case Command::EditSelectAll:
    case Command::EditFind:
    case Command::EditReplace:
        enabled = length() > 0;
        return true;
    case Command::EditFindNext:
        enabled = length() > 0 && m_search.HasSearch();
        return true;
    default:
        return false;
    }
}

bool CTessellaView::RunCommand(Command command)
{
    switch (command) {
    case Command::EditUndo:
        undo();
        return true;
    case Command::EditCut:
        cut();
        return true;
    case Command::EditCopy:
        copy();
        return true;
    case Command::EditPaste:
        paste();
        return true;
    case Command::PasteFromFile:
        OnPasteFromFile();
        return true;
    case Command::EditSelectAll:
        selectAll(true);
        return true;
    case Command::EditFind:
        OpenFindDialog(false);
        return true;
    case Command::EditFindNext:
        OnFindNext();
        return true;
    case Command::EditReplace:
        OpenFindDialog(true);
        return true;
    default:
        return false;
    }
}

void CTessellaView::OpenFindDialog(bool replace)
{
    if (!m_findDialog) {
        m_findDialog = new CFindDialog(m_search, this);
    }
    if (hasSelectedText() && !selectedText().contains(QLatin1Char('\n'))) {
        m_search.Current().findWhat = selectedText();
    }
    m_findDialog->Open(replace);
}

void CTessellaView::OnFindNext()
{
    if (!m_search.HasSearch()) {
        OpenFindDialog(false);
    } else if (!m_search.FindNext()) {
        QApplication::beep();
    }
}
