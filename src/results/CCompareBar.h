#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class CGridComparison;
class CResultComparison;
class CResultSet;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;

// The comparison controls above the grid: the reference connection, the key columns (none
// picked: whole rows), "Compare", a progress bar and "Stop" while it works, "Show differences
// only", and a line per connection of what it came to. The comparison runs in chunks on the
// user-interface thread, between which the window stays live.
class CCompareBar : public QWidget
{
    Q_OBJECT

public:
    explicit CCompareBar(QWidget* parent = nullptr);
    ~CCompareBar() override;

    // The sets of the result set shown and their merged column names; drops a comparison.
    void SetSets(std::vector<const CResultSet*> sets, const QStringList& columns);
    // Drops a comparison, before the sets go.
    void Drop();
    // Starts comparing; `finished` follows, or nothing when stopped or dropped.
    void Start();
    void Stop();
    bool Running() const;

    // A finished comparison; none before or while it runs.
    const CGridComparison* Comparison() const;
    QStringList KeyColumns() const;
    void SetKeyColumns(const QStringList& columns);

    QComboBox* ReferenceBox() const { return m_reference; }
    QPushButton* CompareButton() const { return m_compare; }
    QPushButton* StopButton() const { return m_stop; }
    QCheckBox* DifferencesOnly() const { return m_differencesOnly; }
    QLabel* Summary() const { return m_summary; }
    QProgressBar* Progress() const { return m_progress; }

signals:
    // The comparison is done, or was dropped (Comparison() is then none).
    void comparisonChanged();
    void differencesOnlyToggled(bool on);

private:
    void Step();
    void Finish();
    void ShowIdle();
    void ShowKeys();
    void ShowSummary(const QString& text);

    std::vector<const CResultSet*> m_sets;
    std::unique_ptr<CResultComparison> m_running;
    std::unique_ptr<CResultComparison> m_finished;
    std::unique_ptr<CGridComparison> m_done; // over m_finished
    QComboBox* m_reference = nullptr;
    QToolButton* m_keys = nullptr;
    QMenu* m_keyMenu = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_stop = nullptr;
    QProgressBar* m_progress = nullptr;
    QCheckBox* m_differencesOnly = nullptr;
    QLabel* m_summary = nullptr;
    QTimer* m_steps = nullptr;
};
