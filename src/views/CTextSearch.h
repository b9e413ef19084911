#pragma once

#include <QString>

class QsciScintilla;

// Find and replace in the SQL editor, remembering the last search for "Find Next".
class CTextSearch
{
public:
    struct Options
    {
        QString findWhat;
        QString replaceWith;
        bool matchCase = false;
        bool wholeWord = false;
    };

    explicit CTextSearch(QsciScintilla& editor) : m_editor(editor) {}

    Options& Current() { return m_options; }
    const Options& Current() const { return m_options; }
    bool HasSearch() const { return !m_options.findWhat.isEmpty(); }

    // Selects the next match after the selection, wrapping at the end; false when none.
    bool FindNext();
    // Replaces the selection when it is a match, then selects the next match.
    bool Replace();
    // Replaces every match as one undo step; answers how many.
    int ReplaceAll();

private:
    bool SelectionMatches() const;

    QsciScintilla& m_editor;
    Options m_options;
};
