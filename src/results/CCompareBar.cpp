#include "results/CCompareBar.h"

#include "compare/CResultComparison.h"
#include "execution/CResultSet.h"
#include "results/CGridComparison.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Rows a chunk compares: some tens of milliseconds, so the window answers between chunks.
constexpr qsizetype kChunkRows = 40'000;

} // namespace

CCompareBar::CCompareBar(QWidget* parent) : QWidget(parent)
{
    m_reference = new QComboBox(this);
    m_reference->setToolTip(tr("The connection the others are compared with"));
    m_keys = new QToolButton(this);
    m_keys->setPopupMode(QToolButton::InstantPopup);
    m_keys->setToolTip(tr("The columns that identify a row; none picked: whole rows are "
                          "matched, duplicates counted"));
    m_keyMenu = new QMenu(m_keys);
    m_keys->setMenu(m_keyMenu);
    m_compare = new QPushButton(tr("Compare"), this);
    m_stop = new QPushButton(tr("Stop"), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(160);
    m_differencesOnly = new QCheckBox(tr("Show differences only"), this);
    m_summary = new QLabel(this);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_steps = new QTimer(this);
    m_steps->setInterval(0);
    connect(m_steps, &QTimer::timeout, this, &CCompareBar::Step);
    connect(m_compare, &QPushButton::clicked, this, &CCompareBar::Start);
    connect(m_stop, &QPushButton::clicked, this, &CCompareBar::Stop);
    connect(m_differencesOnly, &QCheckBox::toggled, this, &CCompareBar::differencesOnlyToggled);
    connect(m_keyMenu, &QMenu::triggered, this, &CCompareBar::ShowKeys);

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(new QLabel(tr("Reference:"), this));
    controls->addWidget(m_reference);
    controls->addWidget(m_keys);
    controls->addWidget(m_compare);
    controls->addWidget(m_progress);
    controls->addWidget(m_stop);
    controls->addWidget(m_differencesOnly);
    controls->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addLayout(controls);
    layout->addWidget(m_summary);
    SetSets({}, {});
}

CCompareBar::~CCompareBar() = default;

void CCompareBar::SetSets(std::vector<const CResultSet*> sets, const QStringList& columns)
{
    Drop();
    const QStringList keys = KeyColumns();
    m_sets = std::move(sets);
    m_reference->clear();
    for (const CResultSet* set : m_sets) {
        m_reference->addItem(set->Connection());
    }
    m_keyMenu->clear();
    for (const QString& column : columns) {
        QAction* action = m_keyMenu->addAction(column);
        action->setCheckable(true);
        action->setChecked(keys.contains(column, Qt::CaseInsensitive));
    }
    ShowKeys();
    ShowIdle();
}

void CCompareBar::Drop()
{
    const bool had = m_running || m_done;
    m_steps->stop();
    m_running.reset();
    m_done.reset();
    m_finished.reset();
    ShowSummary(QString());
    ShowIdle();
    if (had) {
        emit comparisonChanged();
    }
}

void CCompareBar::Start()
{
    if (m_sets.size() < 2) {
        return;
    }
    Drop();
    m_running = std::make_unique<CResultComparison>(
        m_sets, std::max(0, m_reference->currentIndex()), KeyColumns());
    ShowSummary(tr("Comparing…"));
    m_progress->setValue(0);
    ShowIdle();
    m_steps->start();
}

void CCompareBar::Stop()
{
    if (!m_running) {
        return;
    }
    m_steps->stop();
    m_running.reset();
    ShowSummary(tr("Comparison stopped."));
    ShowIdle();
}

bool CCompareBar::Running() const
{
    return m_running != nullptr;
}

const CGridComparison* CCompareBar::Comparison() const
{
    return m_done.get();
}

void CCompareBar::Step()
{
    if (!m_running) {
        m_steps->stop();
        return;
    }
    const bool over = m_running->Step(kChunkRows);
    m_progress->setValue(int(m_running->Progress() * 1000));
    if (over) {
        Finish();
    }
}

void CCompareBar::Finish()
{
    m_steps->stop();
    QStringList lines;
    for (qsizetype i = 0; i < m_running->Count(); ++i) {
        const QString name = m_running->Set(i).Connection();
        lines << (i == m_running->Reference() ? tr("%1: the reference").arg(name)
                                              : tr("%1: %2").arg(name, m_running->Summary(i)));
    }
    ShowSummary(lines.join(u'\n'));
    m_finished = std::move(m_running);
    m_done = std::make_unique<CGridComparison>(*m_finished);
    ShowIdle();
    emit comparisonChanged();
}

QStringList CCompareBar::KeyColumns() const
{
    QStringList keys;
    for (const QAction* action : m_keyMenu->actions()) {
        if (action->isChecked()) {
            keys << action->text();
        }
    }
    return keys;
}

void CCompareBar::SetKeyColumns(const QStringList& columns)
{
    for (QAction* action : m_keyMenu->actions()) {
        action->setChecked(columns.contains(action->text(), Qt::CaseInsensitive));
    }
    ShowKeys();
}

void CCompareBar::ShowSummary(const QString& text)
{
    // No empty line under the controls while there is nothing to say.
    m_summary->setText(text);
    m_summary->setVisible(!text.isEmpty());
}

void CCompareBar::ShowKeys()
{
    const QStringList keys = KeyColumns();
    m_keys->setText(keys.isEmpty() ? tr("Keys: all columns")
                                   : tr("Keys: %1").arg(keys.join(QStringLiteral(", "))));
}

void CCompareBar::ShowIdle()
{
    const bool running = m_running != nullptr;
    m_compare->setEnabled(!running && m_sets.size() >= 2);
    m_reference->setEnabled(!running);
    m_keys->setEnabled(!running && !m_sets.empty());
    m_stop->setVisible(running);
    m_progress->setVisible(running);
    m_differencesOnly->setEnabled(m_done != nullptr);
}
