#include "results/CDataSourceCombo.h"

#include "odbc/CODBCObject.h"

#include "appbase/CWaitCursor.h"

#include <QApplication>

namespace {

// The order of a sorted list box: case ignored first, then case.
bool SortsBefore(const QString& left, const QString& right)
{
    const int folded = left.compare(right, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : left.compare(right, Qt::CaseSensitive) < 0;
}

} // namespace

CDataSourceCombo::CDataSourceCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::InsertAlphabetically);
    // Names are keys compared case by case: no completion may change what is typed.
    setCompleter(nullptr);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(16);
}

void CDataSourceCombo::showPopup()
{
    FillFromDriverManager();
    QComboBox::showPopup();
}

void CDataSourceCombo::FillFromDriverManager()
{
    const CWaitCursor waitCursor;
    const QString picked = PickedText();
    const QString typed = currentText();
    QSignalBlocker blocker(this);
    clear();
    {
        CODBCObject odbc;
        QString name;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (odbc.GetDataSource(direction, name)) {
            AddSorted(name);
            direction = SQL_FETCH_NEXT;
        }
    }
    int index = -1;
    if (!picked.isNull()) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).startsWith(picked, Qt::CaseInsensitive)) {
                index = i;
                break;
            }
        }
    }
    setCurrentIndex(index);
    if (index < 0) {
        // What was typed stays, though it names no listed source.
        setEditText(typed);
    }
    blocker.unblock();
    emit currentIndexChanged(currentIndex());
    emit editTextChanged(currentText());
}

void CDataSourceCombo::ShowName(const QString& name)
{
    if (name.isEmpty()) {
        setCurrentIndex(-1);
        setEditText(QString());
        return;
    }
    int index = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        index = AddSorted(name);
    }
    setCurrentIndex(index);
}

int CDataSourceCombo::AddSorted(const QString& name)
{
    int index = 0;
    while (index < count() && !SortsBefore(name, itemText(index))) {
        ++index;
    }
    insertItem(index, name);
    return index;
}

QString CDataSourceCombo::PickedText() const
{
    const int index = currentIndex();
    if (index < 0 || itemText(index) != currentText()) {
        return {};
    }
    return itemText(index);
}
