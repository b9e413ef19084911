#include "views/CTextSearch.h"

#include <Qsci/qsciscintilla.h>

bool CTextSearch::FindNext()
{
    if (!HasSearch()) {
        return false;
    }
    int line = 0;
    int index = 0;
    int toLine = 0;
    int toIndex = 0;
    m_editor.getSelection(&line, &index, &toLine, &toIndex);
    if (line < 0) {
        m_editor.getCursorPosition(&toLine, &toIndex);
    }
    return m_editor.findFirst(m_options.findWhat, false, m_options.matchCase, m_options.wholeWord,
                              true, true, toLine, toIndex);
}

bool CTextSearch::SelectionMatches() const
{
    const Qt::CaseSensitivity sensitivity =
        m_options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return m_editor.hasSelectedText() &&
           m_editor.selectedText().compare(m_options.findWhat, sensitivity) == 0;
}

bool CTextSearch::Replace()
{
    if (!HasSearch()) {
        return false;
    }
    if (SelectionMatches()) {
        m_editor.replaceSelectedText(m_options.replaceWith);
    }
    return FindNext();
}

int CTextSearch::ReplaceAll()
{
    if (!HasSearch()) {
        return 0;
    }
    int count = 0;
    int line = 0;
    int index = 0;
    m_editor.beginUndoAction();
    // No wrap: the search goes on after each replacement and ends at the end of the text.
    while (m_editor.findFirst(m_options.findWhat, false, m_options.matchCase, m_options.wholeWord,
                              false, true, line, index)) {
        m_editor.replaceSelectedText(m_options.replaceWith);
        m_editor.getCursorPosition(&line, &index);
        ++count;
    }
    m_editor.endUndoAction();
    return count;
}
