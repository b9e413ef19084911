#include "results/CResultSetsPage.h"

#include "execution/CResultSet.h"
#include "execution/CTessellaDoc.h"
#include "results/CCompareBar.h"
#include "results/CResultGrid.h"
#include "results/CResultGridModel.h"
#include "results/CRowFormDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>

namespace {

constexpr int kRefreshMilliseconds = 400;
constexpr int kFilterMilliseconds = 250;

qint64 RowsOf(const CRunResultSets::Group& group)
{
    qint64 rows = 0;
    for (const CResultSet* set : group.sets) {
        rows += set->RowCount();
    }
    return rows;
}

} // namespace

CResultSetsPage::CResultSetsPage(CTessellaDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    m_picker = new QComboBox(this);
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_picker->setMinimumContentsLength(30);
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(tr("Filter rows"));
    m_filter->setClearButtonEnabled(true);
    m_rowsLabel = new QLabel(this);
    m_grid = new CResultGrid(this);
    m_model = new CResultGridModel(m_grid);
    m_grid->SetGridModel(m_model);
    m_compare = new CCompareBar(this);
    connect(m_compare, &CCompareBar::comparisonChanged, this, [this] {
        m_model->SetComparison(m_compare->Comparison());
        ShowRowCount();
    });
    connect(m_compare, &CCompareBar::differencesOnlyToggled, this, [this](bool on) {
        m_model->SetDifferencesOnly(on);
        ShowRowCount();
    });

    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(kRefreshMilliseconds);
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(kFilterMilliseconds);
    connect(m_refresh, &QTimer::timeout, this, &CResultSetsPage::Refresh);
    connect(m_filterDelay, &QTimer::timeout, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_model->SetFilter(m_filter->text());
        QApplication::restoreOverrideCursor();
        ShowRowCount();
    });
    connect(m_filter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_picker, &QComboBox::currentIndexChanged, this, &CResultSetsPage::OnPicked);
    connect(m_grid, &CResultGrid::rowOpened, this, &CResultSetsPage::OpenRow);
    connect(&m_document, &CTessellaDoc::runStarting, this, &CResultSetsPage::OnRunStarting);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(2, 2, 2, 0);
    top->addWidget(new QLabel(tr("Result set:"), this));
    top->addWidget(m_picker, 3);
    top->addWidget(m_filter, 1);
    top->addWidget(m_rowsLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_compare);
    layout->addWidget(m_grid, 1);
}

void CResultSetsPage::NoteIntake()
{
    if (!m_refresh->isActive()) {
        m_refresh->start();
    }
}

qsizetype CResultSetsPage::PickedGroup() const
{
    return m_picker->currentIndex();
}

void CResultSetsPage::Refresh()
{
    m_refresh->stop();
    const qsizetype before = PickedGroup();
    std::optional<std::pair<int, int>> picked;
    if (before >= 0) {
        picked = std::pair(m_groups.At(before).batch, m_groups.At(before).result);
    }
    m_groups.Update(m_document.Results(), m_document.Batches(),
                    CTessellaDoc::GroupTitles(m_document.m_connections));
    FillPicker(picked);
    const qsizetype now = PickedGroup();
    if (now >= 0 && (!picked || m_groups.At(now).sets.size() != m_shownSets)) {
        // A connection's set joined: its columns may add to the merged ones.
        ShowGroup(now, picked.has_value());
        return;
    }
    if (now >= 0 && m_model->TotalRows() != RowsOf(m_groups.At(now))) {
        // A comparison holds to the rows it compared.
        m_compare->Drop();
        m_model->TakeNewRows();
    }
    ShowRowCount();
}

void CResultSetsPage::FillPicker(const std::optional<std::pair<int, int>>& picked)
{
    const QSignalBlocker blocker(m_picker);
    while (m_picker->count() < m_groups.Count()) {
        m_picker->addItem(QString());
    }
    // A group may join before the picked one (a connection behind the others): the pick
    // follows its group, not its place.
    for (int i = 0; i < m_groups.Count(); ++i) {
        m_picker->setItemText(i, CRunResultSets::Title(m_groups.At(i)));
    }
    if (picked) {
        m_picker->setCurrentIndex(int(m_groups.IndexOf(picked->first, picked->second)));
    } else {
        m_picker->setCurrentIndex(m_groups.Count() > 0 ? 0 : -1);
    }
}

void CResultSetsPage::OnPicked()
{
    ShowGroup(PickedGroup(), false);
}

void CResultSetsPage::ShowGroup(qsizetype group, bool keepOrder)
{
    if (!keepOrder) {
        const QSignalBlocker blocker(m_grid->horizontalHeader());
        m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }
    m_compare->Drop();
    if (group < 0) {
        m_model->Clear();
        m_compare->SetSets({}, {});
        m_shownSets = 0;
    } else {
        m_model->SetSets(m_groups.At(group).sets, keepOrder);
        m_shownSets = m_groups.At(group).sets.size();
        QStringList columns;
        for (int c = 0; c < m_model->Rows().Columns().Count(); ++c) {
            columns << m_model->Rows().Columns().Name(c);
        }
        m_compare->SetSets(m_groups.At(group).sets, columns);
        m_grid->FitColumns();
    }
    ShowRowCount();
}

void CResultSetsPage::OnRunStarting()
{
    // Before the store lets its rows go: the grid and the groups point at them.
    m_refresh->stop();
    m_compare->SetSets({}, {});
    m_model->Clear();
    m_groups.Clear();
    m_shownSets = 0;
    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    ShowRowCount();
}

void CResultSetsPage::ShowRowCount()
{
    const qint64 total = m_model->TotalRows();
    const int shown = m_model->rowCount();
    if (total == 0 && shown == 0) {
        m_rowsLabel->clear();
    } else if (shown == total) {
        m_rowsLabel->setText(tr("%n row(s)", nullptr, int(std::min<qint64>(total, INT_MAX))));
    } else {
        m_rowsLabel->setText(tr("%1 of %2 rows").arg(shown).arg(total));
    }
}

void CResultSetsPage::OpenRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    auto* form = new CRowFormDialog(*m_model, row, this);
    form->show();
}
