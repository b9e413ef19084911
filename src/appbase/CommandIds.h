#pragma once

// The program's commands. The numbers have no meaning to Qt; they name each command's QAction
// (its object name) so that tests and the message table can refer to it.
enum class Command : int
{
    QueryRun = 1015,
    QueryStop = 1016,
    PasteFromFile = 32771,
    Options = 32772,
    ResetConnection = 32775,
    FileExportResults = 32780,
    ViewHistory = 32781,
    FileNew = 57600,
    FileOpen = 57601,
    FileClose = 57602,
    FileSave = 57603,
    FileSaveAs = 57604,
    FilePrintSetup = 57606,
    FilePrint = 57607,
    FilePrintPreview = 57609,
    FileRecentFirst = 57616, // the recent files follow, one number each
    EditCopy = 57634,
    EditCut = 57635,
    EditFind = 57636,
    EditPaste = 57637,
    EditFindNext = 57640,
    EditReplace = 57641,
    EditSelectAll = 57642,
    EditUndo = 57643,
    WindowArrange = 57649,
    WindowCascade = 57650,
    WindowTileHorizontal = 57651,
    WindowTileVertical = 57652,
    WindowSplit = 57653,
    AppAbout = 57664,
    AppExit = 57665,
    HelpTopics = 57667,
    ContextHelp = 57669,
    NextPane = 57680,
    PreviousPane = 57681,
    ViewToolBar = 59392,
    ViewStatusBar = 59393,
};

inline int CommandNumber(Command command)
{
    return static_cast<int>(command);
}
