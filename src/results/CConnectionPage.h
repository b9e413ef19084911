#pragma once

#include "results/COdbcAdministrator.h"

#include <QStringView>
#include <QWidget>

#include <functional>

class CConnectionData;
class CDataSourceCombo;
class CDataSourceEditor;
class CTessellaDoc;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The "Connections" page: edits the document's connection list one entry at a
// time. The page's fields show one entry; "Add", "Update" and "Delete" apply
// them to the list, where the data source name is the key.
class CConnectionPage : public QWidget
{
    Q_OBJECT

public:
    // Shows the program's own data source editor modally; by default exec().
    using EditorHook = std::function<void(CDataSourceEditor& editor)>;

    CConnectionPage(CTessellaDoc& document, QWidget* parent = nullptr);

    // Shows `record` in the page's fields.
    void WriteRecord(const CConnectionData& record);
    // Reads the page's fields into `record`, which starts as a fresh entry;
    // true when the data source name read is not empty.
    bool ReadRecord(CConnectionData& record) const;
    // "Update" and "Delete" for a name in the list, "Add" for a new one; a
    // focused button that turns disabled hands the focus on.
    void RefreshButtons();

    // The page's commands, as its buttons run them.
    void Add();
    void Update();
    void Delete();
    // "...": the platform's administrator program, or where none starts, the program's own
    // data source editor; the data source box is filled afresh when it closes.
    void StartAdministrator();

    void SetEditorHook(EditorHook hook) { m_editorHook = std::move(hook); }
    COdbcAdministrator& Administrator() { return m_administrator; }

    // The decimal integer at the start of `text` (after blanks, with an
    // optional sign), 0 when there is none; "45x" gives 45.
    static int LeadingInteger(QStringView text);

signals:
    // The document's connection list changed: its other views must look again.
    void connectionsChanged();
    // The document has changes to save.
    void documentModified();

private:
    // Index of the first entry named exactly `name`, or -1.
    qsizetype IndexOf(const QString& name) const;
    void OpenDataSourceEditor(const QString& reason);

    CTessellaDoc& m_document;
    COdbcAdministrator m_administrator;
    EditorHook m_editorHook;

    CDataSourceCombo* m_dataSource;
    QPushButton* m_administratorButton;
    QLineEdit* m_login;
    QLineEdit* m_password;
    QCheckBox* m_savePassword;
    QPushButton* m_add;
    QPushButton* m_update;
    QPushButton* m_delete;
    QLineEdit* m_timeOut;
    QCheckBox* m_enabled;
};
