#pragma once

#include <Qsci/qsciprinter.h>

class QsciScintilla;
class QWidget;

// Prints the SQL text of an editor with half-inch margins. One printer is shared by every
// document window, so that "Print Setup..." applies to all of them.
class CSqlPrinter
{
public:
    CSqlPrinter();

    QsciPrinter& Printer() { return m_printer; }

    // "Print Setup...": the page set-up dialog; false when cancelled.
    bool SetUp(QWidget* parent);
    // "Print...": the print dialog, then the text; false when cancelled or failed.
    bool Print(QsciScintilla& editor, QWidget* parent);
    // "Print Preview": the preview window, modal.
    void Preview(QsciScintilla& editor, QWidget* parent);

    // Prints all of the editor's text on `printer` as it is set up; false on failure.
    static bool PrintText(QsciPrinter& printer, QsciScintilla& editor);
    static void SetHalfInchMargins(QPrinter& printer);

private:
    QsciPrinter m_printer;
};
