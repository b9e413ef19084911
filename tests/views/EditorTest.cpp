// The SQL editor: "Paste from file...", its dialog, the font, the context menu, find and replace
// and the enabling of the edit commands.

#include "GuiTestRegistry.h"
#include "RecordingMessages.h"
#include "document/CSqlTextCodec.h"
#include "views/CChildFrame.h"
#include "views/CFindDialog.h"
#include "views/CLeftView.h"
#include "views/CTessellaView.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qscilexer.h>

class EditorTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_app = std::make_unique<RecordingApp>();
        m_editor = std::make_unique<CTessellaView>();
    }

    void cleanup()
    {
        m_editor.reset();
        m_app.reset();
    }

    void pasteFromAnEmptyFileKeepsTheText()
    {
        m_editor->setText(QStringLiteral("SELECT 1"));
        QVERIFY(m_editor->PasteFromFile(WriteFile(QStringLiteral("empty.sql"), {})));
        QCOMPARE(m_editor->text(), QStringLiteral("SELECT 1"));
        QVERIFY(m_app->shown.isEmpty());
    }

    void pasteFromAFileReplacesAllWhateverIsSelected()
    {
        m_editor->setText(QStringLiteral("SELECT 1\r\nSELECT 2"));
        m_editor->setSelection(0, 0, 0, 3);
        const QString path = WriteFile(QStringLiteral("query.sql"), "SELECT 'caf\xe9' FROM t\r\n");
        QVERIFY(m_editor->PasteFromFile(path));
        // Windows-1252 bytes come in as text, the line break as stored.
        QCOMPARE(m_editor->text(), QStringLiteral("SELECT 'caf\u00e9' FROM t\r\n"));
        QVERIFY(m_editor->isModified());
    }

    // The editor holds the bytes it is given: a NUL, bytes that are not UTF-8 (escaped by the
    // codec) and every kind of line end come back out unchanged.
    void thePastedFileKeepsItsBytesAndLineEnds()
    {
        const QByteArray stored = QByteArray::fromHex("efbbbf") + "SELECT 'a\r\nb\xff'" +
                                  QByteArray(1, '\0') + "\xc3\r\n";
        QVERIFY(m_editor->PasteFromFile(WriteFile(QStringLiteral("marked.sql"), stored)));
        const QString text = m_editor->DocumentText();
        QCOMPARE(CSqlTextCodec::EncodeUtf8(text).toHex(' '), stored.mid(3).toHex(' '));
        QVERIFY(m_editor->TakeRunText().startsWith(QStringLiteral("SELECT 'a\r\nb")));
        // Lines added after it get the file's line end.
        m_editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QCOMPARE(m_editor->DocumentText(), text + QStringLiteral("\r\n"));

        QVERIFY(m_editor->PasteFromFile(WriteFile(QStringLiteral("mac.sql"), "a\rb\r\nc\r")));
        QCOMPARE(m_editor->DocumentText(), QStringLiteral("a\rb\r\nc\r"));
        QCOMPARE(m_editor->LineEnd(), CSqlTextForm::LineEnd::Cr);
        // A file without line ends leaves the editor's as it is.
        QVERIFY(m_editor->PasteFromFile(WriteFile(QStringLiteral("one.sql"), "one line")));
        QCOMPARE(m_editor->LineEnd(), CSqlTextForm::LineEnd::Cr);
    }

    void pasteFromAMissingFileReportsItAndKeepsTheText()
    {
        m_editor->setText(QStringLiteral("SELECT 1"));
        const QString missing = m_dir.filePath(QStringLiteral("gone.sql"));
        QVERIFY(!m_editor->PasteFromFile(missing));
        QCOMPARE(m_app->Texts(),
                 QStringList{missing + QStringLiteral("\nCannot find this file.\nVerify that the "
                                                      "correct path and file name are given.")});
        QCOMPARE(m_app->shown.at(0).style, CSuperApp::MessageStyle::Error);
        QCOMPARE(m_editor->text(), QStringLiteral("SELECT 1"));
    }

    void pasteFromAFolderFailsToOpen()
    {
        QVERIFY(!m_editor->PasteFromFile(m_dir.path()));
        QCOMPARE(m_app->Texts(), QStringList{QStringLiteral("Failed to open document.")});
    }

    void thePasteDialogFollowsItsRules()
    {
        QFileDialog dialog;
        CTessellaView::PreparePasteDialog(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Paste from..."));
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("sql"));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog.nameFilters().size(), 1);
        QVERIFY(dialog.nameFilters().at(0).startsWith(QStringLiteral("(*.*)")));
    }

    void aNameTypedWithoutExtensionGetsSql()
    {
        const QString path = WriteFile(QStringLiteral("typed.sql"), "SELECT 'typed'");
        m_editor->show();
        QTimer::singleShot(0, this, [this] { AnswerFileDialog(QStringLiteral("typed")); });
        m_editor->RunCommand(Command::PasteFromFile);
        QCOMPARE(m_editor->text(), QStringLiteral("SELECT 'typed'"));
        QVERIFY(QFile::exists(path));
    }

    void theEditorFontIsTheTreeFont()
    {
        CChildFrame frame;
        QCOMPARE(frame.Editor()->EditorFont(), frame.Tree()->font());
        QFont other(QStringLiteral("DejaVu Sans Mono"), 14);
        frame.Editor()->SetEditorFont(other);
        QCOMPARE(frame.Editor()->lexer()->font(5), other); // keywords too
    }

    void theContextMenuListsTheEditCommands()
    {
        std::unique_ptr<QMenu> menu(m_editor->CreateContextMenu(nullptr));
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(texts,
                 (QStringList{"&Undo\tCtrl+Z", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                              "Paste from file...", "Select A&ll\tCtrl+A", "-", "&Find...\tCtrl+F",
                              "F&ind Next\tF3", "R&eplace\tCtrl+H"}));
    }

    void editCommandsFollowTheEditorState()
    {
        QApplication::clipboard()->clear();
        QVERIFY(!Enabled(Command::EditCopy));
        QVERIFY(!Enabled(Command::EditUndo));
        QVERIFY(!Enabled(Command::EditSelectAll));
        m_editor->setText(QStringLiteral("SELECT 1"));
        QVERIFY(!Enabled(Command::EditUndo)); // a text set afresh has no history
        m_editor->insert(QStringLiteral("-- "));
        QVERIFY(Enabled(Command::EditUndo));
        QVERIFY(Enabled(Command::EditSelectAll));
        QVERIFY(!Enabled(Command::EditCut));
        m_editor->RunCommand(Command::EditSelectAll);
        QVERIFY(Enabled(Command::EditCopy));
        QVERIFY(Enabled(Command::EditCut));
        m_editor->RunCommand(Command::EditCopy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("-- SELECT 1"));
        QVERIFY(Enabled(Command::EditPaste));
        QVERIFY(!Enabled(Command::EditFindNext)); // nothing searched yet
        bool enabled = false;
        QVERIFY(!m_editor->UpdateCommand(Command::QueryRun, enabled));
    }

    void findNextWrapsAndReplaceAllIsOneUndoStep()
    {
        m_editor->setText(QStringLiteral("select a from t;\r\nSELECT b from T"));
        CTextSearch& search = m_editor->Search();
        search.Current().findWhat = QStringLiteral("select");
        QVERIFY(search.FindNext());
        QCOMPARE(m_editor->selectedText(), QStringLiteral("select"));
        QVERIFY(search.FindNext());
        QCOMPARE(m_editor->selectedText(), QStringLiteral("SELECT"));
        QVERIFY(search.FindNext()); // wraps to the first
        int line = -1, index = -1, toLine = -1, toIndex = -1;
        m_editor->getSelection(&line, &index, &toLine, &toIndex);
        QCOMPARE(line, 0);

        search.Current().matchCase = true;
        search.Current().findWhat = QStringLiteral("from");
        search.Current().replaceWith = QStringLiteral("FROM");
        QCOMPARE(search.ReplaceAll(), 2);
        QCOMPARE(m_editor->text(), QStringLiteral("select a FROM t;\r\nSELECT b FROM T"));
        m_editor->undo();
        QCOMPARE(m_editor->text(), QStringLiteral("select a from t;\r\nSELECT b from T"));
    }

    void wholeWordsAndReplaceOneByOne()
    {
        m_editor->setText(QStringLiteral("id ids id"));
        CTextSearch& search = m_editor->Search();
        search.Current().findWhat = QStringLiteral("id");
        search.Current().replaceWith = QStringLiteral("key");
        search.Current().wholeWord = true;
        m_editor->setCursorPosition(0, 0);
        QVERIFY(search.FindNext());
        QVERIFY(search.Replace()); // replaces the selected match, selects the next whole word
        QCOMPARE(m_editor->text(), QStringLiteral("key ids id"));
        QCOMPARE(m_editor->selectedText(), QStringLiteral("id"));
        int line = -1, index = -1, toLine = -1, toIndex = -1;
        m_editor->getSelection(&line, &index, &toLine, &toIndex);
        QCOMPARE(index, 8);
    }

    void findOpensTheDialogWithTheSelection()
    {
        m_editor->setText(QStringLiteral("SELECT name FROM t"));
        m_editor->setSelection(0, 7, 0, 11);
        m_editor->show();
        m_editor->RunCommand(Command::EditFind);
        QVERIFY(m_editor->FindDialog()->isVisible());
        QCOMPARE(m_editor->FindDialog()->FindEdit()->text(), QStringLiteral("name"));
        QVERIFY(!m_editor->FindDialog()->ReplaceEdit()->isVisible());
        m_editor->RunCommand(Command::EditReplace);
        QVERIFY(m_editor->FindDialog()->ReplaceEdit()->isVisible());
        QCOMPARE(m_editor->FindDialog()->windowTitle(), QStringLiteral("Replace"));
        m_editor->FindDialog()->close();
    }

private:
    // The command's state; false too when the editor does not carry it.
    bool Enabled(Command command) const
    {
        bool enabled = false;
        return m_editor->UpdateCommand(command, enabled) && enabled;
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            return {};
        }
        return path;
    }

    // Types a name into the open file dialog and accepts it.
    void AnswerFileDialog(const QString& typed)
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, this, [this, typed] { AnswerFileDialog(typed); });
            return;
        }
        dialog->setDirectory(m_dir.path());
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
    }

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingApp> m_app;
    std::unique_ptr<CTessellaView> m_editor;
};

TESSELLA_GUI_TEST(EditorTest)
#include "EditorTest.moc"
