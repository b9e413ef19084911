#pragma once

#include "appbase/CCommandTarget.h"
#include "document/CSqlTextForm.h"
#include "execution/CSqlTextSource.h"
#include "views/CTextSearch.h"

#include <Qsci/qsciscintilla.h>

class CFindDialog;
class QFileDialog;
class QMenu;
class QsciLexerSQL;

// The SQL editor of a document window: plain text with SQL highlighting, the edit commands and
// their context menu, find and replace, and "Paste from file...". A run takes its SQL from here.
class CTessellaView : public QsciScintilla, public CSqlTextSource, public CCommandTarget
{
    Q_OBJECT

public:
    explicit CTessellaView(QWidget* parent = nullptr);

    // The selected text; with nothing selected, selects all of the text and takes that.
    QString TakeRunText() override;

    // A document's text, fresh: not modified and nothing to undo. Every character goes in as
    // it is, line ends, NUL and the escapes of bytes that are not UTF-8 (see CSqlTextCodec)
    // included, so that DocumentText gives it back unchanged.
    void SetDocumentText(const QString& text);
    // All of the text as the editor holds it, each byte of it kept.
    QString DocumentText() const;
    // The line end of lines the user adds, typed or pasted: the file's own.
    void SetLineEnd(CSqlTextForm::LineEnd lineEnd);
    CSqlTextForm::LineEnd LineEnd() const;
    // Every style of the highlighting gets `font` (the connection tree's).
    void SetEditorFont(const QFont& font);
    QFont EditorFont() const;

    // "Paste from file...": asks for a file, then PasteFromFile.
    void OnPasteFromFile();
    // Replaces all of the text with the file's; an empty file leaves the text as it is. Errors
    // are shown in a message box; answers whether the file was read.
    bool PasteFromFile(const QString& path);
    // The rules of the "Paste from..." dialog.
    static void PreparePasteDialog(QFileDialog& dialog);

    // The context menu, its items enabled as the commands are; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent);

    bool UpdateCommand(Command command, bool& enabled) const override;
    bool RunCommand(Command command) override;

    CTextSearch& Search() { return m_search; }
    CFindDialog* FindDialog() const { return m_findDialog; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetUpEditor();
    void ReplaceAllText(const QString& text);
    void OpenFindDialog(bool replace);
    void OnFindNext();
    bool CanPaste() const;

    QsciLexerSQL* m_lexer;
    CTextSearch m_search{*this};
    CFindDialog* m_findDialog = nullptr;
};
