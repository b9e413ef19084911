#pragma once

#include <QComboBox>

// The "Datasource:" box: an editable, sorted list of data source names that is
// filled afresh from the driver manager each time its list opens.
class CDataSourceCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit CDataSourceCombo(QWidget* parent = nullptr);

    // Refills the list, then opens it.
    void showPopup() override;

    // Empties the list and adds every data source the driver manager knows. A
    // name that was picked before stays picked: the first entry that begins
    // with it, case ignored.
    void FillFromDriverManager();

    // Shows `name`: picks the entry that equals it exactly, adding it first when
    // there is none. An empty name picks nothing and empties the edit field.
    void ShowName(const QString& name);

    // The picked entry's text, or what is typed when the typing no longer
    // matches the picked entry.
    QString Name() const { return currentText(); }

    // Inserts `name` where the sorted order puts it; answers its index.
    int AddSorted(const QString& name);

private:
    // The text of the picked entry, or a null text when none is picked or
    // the edit field no longer shows it.
    QString PickedText() const;
};
