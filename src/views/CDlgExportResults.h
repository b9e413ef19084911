#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class CResultStore;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// File › Export Results…: the run's result sets, all or one of them (the same batch and result
// of every connection), to a file in CSV, TSV, JSON, NDJSON or XLSX, with the Connection column
// or a file per connection. The rows are written in slices between which the window stays
// responsive, with a progress bar and Stop; a stopped or failed export leaves every target as
// it was.
class CDlgExportResults : public QDialog
{
    Q_OBJECT

public:
    // The store must not change while the dialog is open.
    CDlgExportResults(const CResultStore& store, QWidget* parent = nullptr);

    // Asked before writing when values were cut at the long-text limit; true goes on. A
    // message box unless replaced.
    std::function<bool(const QString& text)> confirmCut;

    // The sets picked, by index in the store, in the order they are written.
    QList<qsizetype> PickedSets() const;
    // Writes what the controls say; true once written. A refusal or failure is in LastError.
    bool Export();
    void Stop() { m_stopRequested = true; }
    const QString& LastError() const { return m_error; }

    QComboBox* SetChoice() const { return m_sets; }
    QComboBox* FormatChoice() const { return m_format; }
    QRadioButton* FilePerConnection() const { return m_perConnection; }
    QLineEdit* PathEdit() const { return m_path; }
    QProgressBar* Progress() const { return m_progress; }

private:
    void FillSetChoice();
    void Browse();
    void SetRunning(bool running);
    bool ConfirmCut(const QList<qsizetype>& sets);
    void Fail(const QString& message);

    const CResultStore& m_store;
    QComboBox* m_sets;
    QComboBox* m_format;
    QRadioButton* m_connectionColumn;
    QRadioButton* m_perConnection;
    QLineEdit* m_path;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_export;
    QPushButton* m_stop;
    QPushButton* m_close;
    bool m_stopRequested = false;
    QString m_error;
};
