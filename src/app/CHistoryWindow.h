#pragma once

#include <QWidget>

class CHistoryDetail;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

// The history of runs: the newest first, narrowed by a filter on the SQL, the document and the
// connections' names; the chosen run's lines and text below, and its text into a new document.
// It reads the history when shown and on Refresh: runs recorded meanwhile (by the runner, too)
// are not watched for.
class CHistoryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CHistoryWindow(const QString& databasePath, QWidget* parent = nullptr);

    // Reads the runs again, keeping the chosen one when it is still listed.
    void Refresh();
    // The id of the chosen run, 0 for none.
    qint64 ChosenRun() const;

    QLineEdit* Filter() const { return m_filter; }
    QTreeWidget* List() const { return m_list; }
    CHistoryDetail* Detail() const { return m_detail; }
    QPushButton* OpenButton() const { return m_open; }

signals:
    // "Open in New Document" with the chosen run's text.
    void openInNewDocument(const QString& sqlText);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowChosen();
    void OpenChosen();

    QString m_path;
    QLineEdit* m_filter;
    QTimer* m_filterDelay;
    QTreeWidget* m_list;
    CHistoryDetail* m_detail;
    QLabel* m_status;
    QPushButton* m_open;
};
