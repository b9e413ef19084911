#include "app/CCommandActions.h"

#include "appbase/CMessageStrings.h"

#include <QAction>
#include <QWidget>

namespace {

struct ActionDescription
{
    Command command;
    const char* text;
    const char* toolTip;
    QList<QKeySequence> keys;
    const char* icon;
};

QList<ActionDescription> Descriptions()
{
    using K = QKeySequence;
    return {
        {Command::FileNew, "&New\tCtrl+N", "New", {K(K::New)}, "new"},
        {Command::FileOpen, "&Open...\tCtrl+O", "Open", {K(Qt::CTRL | Qt::Key_O)}, "open"},
        {Command::FileClose, "&Close", nullptr, {}, nullptr},
        {Command::FileSave, "&Save\tCtrl+S", "Save", {K(Qt::CTRL | Qt::Key_S)}, "save"},
        {Command::FileSaveAs, "Save &As...", nullptr, {}, nullptr},
        {Command::FileExportResults, "&Export Results...", nullptr, {}, nullptr},
        {Command::FilePrint, "&Print...\tCtrl+P", "Print", {K(Qt::CTRL | Qt::Key_P)}, "print"},
        {Command::FilePrintPreview, "Print Pre&view", nullptr, {}, nullptr},
        {Command::FilePrintSetup, "P&rint Setup...", nullptr, {}, nullptr},
        {Command::AppExit, "E&xit", nullptr, {}, nullptr},
        {Command::EditUndo,
         "&Undo\tCtrl+Z",
         nullptr,
         {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)},
         nullptr},
        {Command::EditCut,
         "Cu&t\tCtrl+X",
         "Cut",
         {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)},
         "cut"},
        {Command::EditCopy,
         "&Copy\tCtrl+C",
         "Copy",
         {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)},
         "copy"},
        {Command::EditPaste,
         "&Paste\tCtrl+V",
         "Paste",
         {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)},
         "paste"},
        {Command::PasteFromFile, "Paste from file...", nullptr, {}, nullptr},
        {Command::EditSelectAll,
         "Select A&ll\tCtrl+A",
         nullptr,
         {K(Qt::CTRL | Qt::Key_A)},
         nullptr},
        {Command::EditFind, "&Find...\tCtrl+F", nullptr, {K(Qt::CTRL | Qt::Key_F)}, nullptr},
        {Command::EditFindNext, "F&ind Next\tF3", nullptr, {K(Qt::Key_F3)}, nullptr},
        {Command::EditReplace, "R&eplace\tCtrl+H", nullptr, {K(Qt::CTRL | Qt::Key_H)}, nullptr},
        // Alt+R and Alt+S belong to each document window's own tool bar.
        {Command::QueryRun, "&Run\tAlt+R", "Run query (Alt+R)", {}, nullptr},
        {Command::QueryStop, "&Stop\tAlt+S", "Stop query (Alt+S)", {}, nullptr},
        {Command::ViewToolBar, "&Toolbar", nullptr, {}, nullptr},
        {Command::ViewStatusBar, "&Status Bar", nullptr, {}, nullptr},
        {Command::WindowSplit, "S&plit", nullptr, {}, nullptr},
        {Command::Options, "Options...", "Options", {}, "options"},
        {Command::ViewHistory, "&History...", nullptr, {}, nullptr},
        {Command::WindowCascade, "&Cascade", nullptr, {}, nullptr},
        {Command::WindowTileHorizontal, "Tile &horizontal", nullptr, {}, nullptr},
        {Command::WindowTileVertical, "Tile &vertical", nullptr, {}, nullptr},
        {Command::WindowArrange, "&Arrange Icons", nullptr, {}, nullptr},
        {Command::HelpTopics, "&Help Topics", nullptr, {K(Qt::Key_F1)}, nullptr},
        {Command::AppAbout, "&About Tessella...", "About", {}, "about"},
        {Command::ContextHelp, "Help", "Help", {K(Qt::SHIFT | Qt::Key_F1)}, "help"},
        {Command::NextPane, "Next Pane", nullptr, {K(Qt::Key_F6)}, nullptr},
        {Command::PreviousPane, "Previous Pane", nullptr, {K(Qt::SHIFT | Qt::Key_F6)}, nullptr},
    };
}

} // namespace

CCommandActions::CCommandActions(QWidget& owner)
{
    for (const ActionDescription& item : Descriptions()) {
        auto* action = new QAction(QObject::tr(item.text), &owner);
        action->setObjectName(QString::number(CommandNumber(item.command)));
        action->setStatusTip(CMessageStrings::Text(CommandNumber(item.command)));
        if (item.toolTip) {
            action->setToolTip(QObject::tr(item.toolTip));
        }
        if (item.icon) {
            action->setIcon(QIcon(QStringLiteral(":/app/%1.svg").arg(QLatin1String(item.icon))));
        }
        action->setShortcuts(item.keys);
        // Keys work in every window of the main frame, menus shown or not.
        owner.addAction(action);
        m_actions.insert(item.command, action);
    }
    for (Command toggle : {Command::ViewToolBar, Command::ViewStatusBar}) {
        m_actions.value(toggle)->setCheckable(true);
        m_actions.value(toggle)->setChecked(true);
    }
}
