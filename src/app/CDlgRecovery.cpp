#include "app/CDlgRecovery.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDlgRecovery::CDlgRecovery(const QList<CRecoveryCopy>& copies, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Recover Documents"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Tessella did not end normally. These documents had changes that were not saved:"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(0, 1);
    for (const CRecoveryCopy& copy : copies) {
        AddRow(*grid, copy);
    }
    layout->addLayout(grid);

    auto* later = new QLabel(tr("Documents left here are offered again at the next start."), this);
    later->setWordWrap(true);
    layout->addWidget(later);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CDlgRecovery::TimeText(const QDateTime& written)
{
    return written.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void CDlgRecovery::AddRow(QGridLayout& grid, const CRecoveryCopy& copy)
{
    const int row = Count();
    Row widgets;
    widgets.title = copy.title;
    widgets.name = new QLabel(QStringLiteral("<b>%1</b>").arg(copy.title.toHtmlEscaped()), this);
    const QString where = copy.pathName.isEmpty() ? tr("never saved") : copy.pathName;
    widgets.detail = new QLabel(tr("%1\nchanged %2").arg(where, TimeText(copy.written)), this);
    widgets.detail->setTextFormat(Qt::PlainText);
    widgets.restore = new QPushButton(tr("Restore"), this);
    widgets.discard = new QPushButton(tr("Discard"), this);
    widgets.restore->setAutoDefault(false);
    widgets.discard->setAutoDefault(false);
    auto* text = new QVBoxLayout;
    text->setSpacing(0);
    text->addWidget(widgets.name);
    text->addWidget(widgets.detail);
    grid.addLayout(text, row, 0);
    grid.addWidget(widgets.restore, row, 1);
    grid.addWidget(widgets.discard, row, 2);
    connect(widgets.restore, &QPushButton::clicked, this, [this, row] { emit restoreChosen(row); });
    connect(widgets.discard, &QPushButton::clicked, this, [this, row] { emit discardChosen(row); });
    m_rows << widgets;
}

QString CDlgRecovery::DetailText(int row) const
{
    return m_rows.at(row).detail->text();
}

void CDlgRecovery::MarkDecided(int row)
{
    Row& decided = m_rows[row];
    decided.decided = true;
    for (QWidget* widget :
         {static_cast<QWidget*>(decided.name), static_cast<QWidget*>(decided.detail),
          static_cast<QWidget*>(decided.restore), static_cast<QWidget*>(decided.discard)}) {
        widget->hide();
    }
    adjustSize();
    for (const Row& each : m_rows) {
        if (!each.decided) {
            return;
        }
    }
    accept();
}
