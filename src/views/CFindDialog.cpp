#include "views/CFindDialog.h"

#include "views/CTextSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindDialog::CFindDialog(CTextSearch& search, QWidget* parent)
    : QDialog(parent), m_search(search), m_findWhat(new QLineEdit(this)),
      m_replaceWith(new QLineEdit(this)), m_matchCase(new QCheckBox(tr("Match &case"), this)),
      m_wholeWord(new QCheckBox(tr("Match &whole word only"), this)),
      m_findNext(new QPushButton(tr("&Find Next"), this)),
      m_replace(new QPushButton(tr("&Replace"), this)),
      m_replaceAll(new QPushButton(tr("Replace &All"), this))
{
    BuildLayout();
    connect(m_findNext, &QPushButton::clicked, this, &CFindDialog::OnFindNext);
    connect(m_replace, &QPushButton::clicked, this, &CFindDialog::OnReplace);
    connect(m_replaceAll, &QPushButton::clicked, this, &CFindDialog::OnReplaceAll);
    connect(m_findWhat, &QLineEdit::textChanged, this, &CFindDialog::UpdateButtons);
}

void CFindDialog::BuildLayout()
{
    auto* fields = new QFormLayout;
    fields->addRow(tr("Fi&nd what:"), m_findWhat);
    m_replaceRow = new QWidget(this);
    auto* replaceLayout = new QHBoxLayout(m_replaceRow);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    auto* replaceLabel = new QLabel(tr("Re&place with:"), m_replaceRow);
    replaceLabel->setBuddy(m_replaceWith);
    replaceLayout->addWidget(replaceLabel);
    replaceLayout->addWidget(m_replaceWith);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(m_findNext, QDialogButtonBox::ActionRole);
    buttons->addButton(m_replace, QDialogButtonBox::ActionRole);
    buttons->addButton(m_replaceAll, QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(m_replaceRow);
    left->addWidget(m_matchCase);
    left->addWidget(m_wholeWord);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buttons);
    m_findNext->setDefault(true);
}

void CFindDialog::Open(bool replace)
{
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    m_replaceRow->setVisible(replace);
    m_replace->setVisible(replace);
    m_replaceAll->setVisible(replace);
    const CTextSearch::Options& options = m_search.Current();
    m_findWhat->setText(options.findWhat);
    m_replaceWith->setText(options.replaceWith);
    m_matchCase->setChecked(options.matchCase);
    m_wholeWord->setChecked(options.wholeWord);
    UpdateButtons();
    show();
    raise();
    activateWindow();
    m_findWhat->setFocus();
    m_findWhat->selectAll();
}

void CFindDialog::TakeOptions()
{
    CTextSearch::Options& options = m_search.Current();
    options.findWhat = m_findWhat->text();
    options.replaceWith = m_replaceWith->text();
    options.matchCase = m_matchCase->isChecked();
    options.wholeWord = m_wholeWord->isChecked();
}

void CFindDialog::UpdateButtons()
{
    const bool any = !m_findWhat->text().isEmpty();
    m_findNext->setEnabled(any);
    m_replace->setEnabled(any);
    m_replaceAll->setEnabled(any);
}

void CFindDialog::OnFindNext()
{
    TakeOptions();
    if (!m_search.FindNext()) {
        QApplication::beep();
    }
}

void CFindDialog::OnReplace()
{
    TakeOptions();
    if (!m_search.Replace()) {
        QApplication::beep();
    }
}

void CFindDialog::OnReplaceAll()
{
    TakeOptions();
    if (m_search.ReplaceAll() == 0) {
        QApplication::beep();
    }
}
