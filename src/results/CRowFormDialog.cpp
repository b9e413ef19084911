#include "results/CRowFormDialog.h"

#include "results/CResultGridModel.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CRowFormDialog::CRowFormDialog(const CResultGridModel& model, int row, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Row %1").arg(row + 1));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setPlainText(FormText(model, row));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(520, 380);
}

QString CRowFormDialog::FormText(const CResultGridModel& model, int row)
{
    using State = CGridRows::State;
    QStringList lines;
    const qint64 gridRow = model.RowAt(row);
    for (int column = 0; column < model.columnCount(); ++column) {
        const CGridRows::Cell cell = model.Rows().CellAt(gridRow, column);
        QString value;
        if (cell.state == State::Absent) {
            value = tr("(no such column)");
        } else if (cell.state == State::Null) {
            value = QStringLiteral("NULL");
        } else {
            value = cell.cut ? cell.text + tr("… (cut at the long-text limit)") : cell.text;
        }
        lines << model.ColumnName(column) + QStringLiteral(": ") + value;
    }
    return lines.join(u'\n');
}
