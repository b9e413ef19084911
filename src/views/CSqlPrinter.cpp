#include "views/CSqlPrinter.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <Qsci/qsciscintilla.h>

CSqlPrinter::CSqlPrinter()
{
    SetHalfInchMargins(m_printer);
}

void CSqlPrinter::SetHalfInchMargins(QPrinter& printer)
{
    printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
}

bool CSqlPrinter::SetUp(QWidget* parent)
{
    QPageSetupDialog dialog(&m_printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CSqlPrinter::Print(QsciScintilla& editor, QWidget* parent)
{
    QPrintDialog dialog(&m_printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return PrintText(m_printer, editor);
}

void CSqlPrinter::Preview(QsciScintilla& editor, QWidget* parent)
{
    QPrintPreviewDialog dialog(&m_printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &editor,
                     [this, &editor](QPrinter*) { PrintText(m_printer, editor); });
    dialog.exec();
}

bool CSqlPrinter::PrintText(QsciPrinter& printer, QsciScintilla& editor)
{
    return printer.printRange(&editor) != 0;
}
