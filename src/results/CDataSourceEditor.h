#pragma once

#include <QDialog>

#include <functional>

class CDataSourceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// The user's own ODBC data sources, made and changed in the program where no administrator
// program of the platform can be started. Everything goes through the installer of the driver
// manager, which keeps the files.
class CDataSourceEditor : public QDialog
{
    Q_OBJECT

public:
    // Shows the form modally; true when it was accepted. Tests fill it instead.
    using FormRunner = std::function<bool(CDataSourceForm& form)>;
    // Asks a yes/no question; true for yes.
    using Confirmer = std::function<bool(const QString& question)>;

    explicit CDataSourceEditor(QWidget* parent = nullptr);

    // A line above the list, saying why this editor opened.
    void SetNote(const QString& note);
    // The login that "Test" connects with.
    void SetLogin(const QString& login, const QString& password);

    void SetFormRunner(FormRunner runner) { m_formRunner = std::move(runner); }
    void SetConfirmer(Confirmer confirmer) { m_confirmer = std::move(confirmer); }

    // The commands of the buttons. Add and Edit show the form; Remove asks first; Test connects
    // to the picked data source and shows what the driver answered.
    void Add();
    void Edit();
    void Remove();
    void Test();

    // Lists the data sources afresh, picking `name` when it is listed.
    void Refill(const QString& name = {});
    // The picked data source's name; empty when none is picked.
    QString Picked() const;
    // The data source added or changed last, for the caller to show; empty when none was.
    QString LastWritten() const { return m_lastWritten; }

private:
    // Writes the form's data source; `previous` is the name it had, empty for a new one. A
    // refusal is shown in the form, which stays open.
    bool Write(CDataSourceForm& form, const QString& previous);
    void ShowAnswer(const QString& text);
    void UpdateButtons();

    QLabel* m_note;
    QTreeWidget* m_list;
    QPushButton* m_edit;
    QPushButton* m_remove;
    QPushButton* m_test;
    QPlainTextEdit* m_answer;
    QString m_login;
    QString m_password;
    QString m_lastWritten;
    FormRunner m_formRunner;
    Confirmer m_confirmer;
};
