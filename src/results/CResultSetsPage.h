#pragma once

#include "results/CRunResultSets.h"

#include <QWidget>

#include <optional>
#include <utility>

class CCompareBar;
class CResultGrid;
class CResultGridModel;
class CTessellaDoc;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

// The "Result Sets" page of the results pane: a picker of the run's result sets, each the
// sets that the connections gave for one statement, and the grid of the one picked. It follows
// the store as rows stream in, a few times a second at most.
class CResultSetsPage : public QWidget
{
    Q_OBJECT

public:
    explicit CResultSetsPage(CTessellaDoc& document, QWidget* parent = nullptr);

    // The results window took a batch: the picker and grid catch up soon.
    void NoteIntake();
    // Catches up now.
    void Refresh();

    QComboBox* Picker() const { return m_picker; }
    QLineEdit* FilterBox() const { return m_filter; }
    CResultGrid* Grid() const { return m_grid; }
    CResultGridModel* GridModel() const { return m_model; }
    QLabel* RowsLabel() const { return m_rowsLabel; }
    CCompareBar* CompareBar() const { return m_compare; }
    const CRunResultSets& Groups() const { return m_groups; }
    // The group the picker shows; -1 for none.
    qsizetype PickedGroup() const;

private:
    void OnRunStarting();
    void OnPicked();
    void FillPicker(const std::optional<std::pair<int, int>>& picked);
    void ShowGroup(qsizetype group, bool keepOrder);
    void ShowRowCount();
    void OpenRow(int row);

    CTessellaDoc& m_document;
    CRunResultSets m_groups;
    QComboBox* m_picker = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_rowsLabel = nullptr;
    CResultGrid* m_grid = nullptr;
    CResultGridModel* m_model = nullptr;
    CCompareBar* m_compare = nullptr;
    QTimer* m_refresh = nullptr;
    QTimer* m_filterDelay = nullptr;
    size_t m_shownSets = 0; // of the picked group, in the grid
};
