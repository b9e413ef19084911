#pragma once

#include <QDialog>
#include <QString>

class CResultGridModel;
class QPlainTextEdit;

// One row of the grid as a form: a "name: value" line a column, the connection first, in a
// read-only text the user can select and copy from.
class CRowFormDialog : public QDialog
{
    Q_OBJECT

public:
    CRowFormDialog(const CResultGridModel& model, int row, QWidget* parent = nullptr);

    // The form's lines for table row `row`.
    static QString FormText(const CResultGridModel& model, int row);
    QPlainTextEdit* Text() const { return m_text; }

private:
    QPlainTextEdit* m_text = nullptr;
};
