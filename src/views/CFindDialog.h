#pragma once

#include <QDialog>

class CTextSearch;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The small modeless "Find" and "Replace" dialog of the SQL editor.
class CFindDialog : public QDialog
{
    Q_OBJECT

public:
    CFindDialog(CTextSearch& search, QWidget* parent);

    // Shows the dialog for finding only, or for replacing too, filled from the last search.
    void Open(bool replace);

    QLineEdit* FindEdit() const { return m_findWhat; }
    QLineEdit* ReplaceEdit() const { return m_replaceWith; }

private:
    void BuildLayout();
    void TakeOptions();
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();
    void UpdateButtons();

    CTextSearch& m_search;
    QLineEdit* m_findWhat;
    QLineEdit* m_replaceWith;
    QCheckBox* m_matchCase;
    QCheckBox* m_wholeWord;
    QPushButton* m_findNext;
    QPushButton* m_replace;
    QPushButton* m_replaceAll;
    QWidget* m_replaceRow = nullptr;
};
