#include "appbase/CMessageStrings.h"

#include "appbase/CommandIds.h"

#include <QCoreApplication>
#include <QHash>

namespace {

struct Entry
{
    int id;
    const char* text;
};

int Id(Command command)
{
    return CommandNumber(command);
}

const QHash<int, const char*>& Table()
{
    static const QHash<int, const char*> table = [] {
        const Entry entries[] = {
            {MsgAppTitle, "Tessella"},
            {MsgIdleText, "You can copy result pane, see edit menu."},
            {MsgAskToSave, "Save changes to %1?"},
            {MsgFailedToOpenDocument, "Failed to open document."},
            {MsgFailedToSaveDocument, "Failed to save document."},
            {MsgFileNotFound,
             "%1\nCannot find this file.\nVerify that the correct path and file name are given."},
            {MsgUnexpectedFormat, "Unexpected file format."},
            {MsgWriteDenied, "Unable to write to %1, it is read-only or opened by someone else."},
            {MsgAccessDenied, "Access to %1 was denied."},
            {MsgReadError, "An unexpected error occurred while reading %1."},
            {MsgNoDisplay, "tessella: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                           "the workbench needs a graphical session."},
            // Status texts of the commands.
            {Id(Command::FileNew), "Create a new query document"},
            {Id(Command::FileOpen), "Open an existing query document or SQL file"},
            {Id(Command::FileClose), "Close the active document"},
            {Id(Command::FileSave), "Save the active document"},
            {Id(Command::FileSaveAs), "Save the active document under a new name"},
            {Id(Command::FileExportResults),
             "Write the result sets of the last run to CSV, TSV, JSON, NDJSON or XLSX files"},
            {Id(Command::FilePrintSetup), "Change the printer and printing options"},
            {Id(Command::FilePrint), "Print the SQL text of the active document"},
            {Id(Command::FilePrintPreview), "Show the SQL text as it will be printed"},
            {Id(Command::FileRecentFirst), "Open this document"},
            {Id(Command::AppExit), "Quit the application; prompts to save documents"},
            {Id(Command::EditUndo), "Undo the last action"},
            {Id(Command::EditCut), "Cut the selection and put it on the clipboard"},
            {Id(Command::EditCopy), "Copy the selection and put it on the clipboard"},
            {Id(Command::EditPaste), "Insert the clipboard contents"},
            {Id(Command::PasteFromFile), "Paste from file..."},
            {Id(Command::EditSelectAll), "Select the entire text"},
            {Id(Command::EditFind), "Find the specified text"},
            {Id(Command::EditFindNext), "Repeat the last find"},
            {Id(Command::EditReplace), "Replace specific text with different text"},
            {Id(Command::QueryRun), "Run"},
            {Id(Command::QueryStop), "Stop"},
            {Id(Command::ViewToolBar), "Show or hide the toolbar"},
            {Id(Command::ViewStatusBar), "Show or hide the status bar"},
            {Id(Command::WindowSplit), "Move the splitters of the active window with the keys"},
            {Id(Command::Options), "General options."},
            {Id(Command::ViewHistory), "List the runs of the past and their SQL"},
            {Id(Command::WindowCascade), "Arrange windows so they overlap"},
            {Id(Command::WindowTileHorizontal), "Arrange windows one above the other"},
            {Id(Command::WindowTileVertical), "Arrange windows side by side"},
            {Id(Command::WindowArrange), "Arrange minimized windows at the bottom"},
            {Id(Command::HelpTopics), "No help topics are available"},
            {Id(Command::ContextHelp), "No context help is available"},
            {Id(Command::AppAbout), "Display program information and version"},
            {Id(Command::ResetConnection), "Reconnect at next run"},
        };
        QHash<int, const char*> filled;
        for (const Entry& entry : entries) {
            filled.insert(entry.id, entry.text);
        }
        return filled;
    }();
    return table;
}

} // namespace

bool CMessageStrings::Load(int id, QString& text)
{
    const auto found = Table().constFind(id);
    if (found == Table().cend()) {
        return false;
    }
    text = QCoreApplication::translate("CMessageStrings", found.value());
    return true;
}

QString CMessageStrings::Text(int id)
{
    QString text;
    Load(id, text);
    return text;
}
