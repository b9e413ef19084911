#pragma once

#include <QString>

class CQueryDocument;
class QFileDialog;
class QWidget;

// Saving a document from its window: "Save", "Save As..." and the question before a modified
// document is closed. Messages go through the application's message boxes.
class CDocumentSaver
{
public:
    CDocumentSaver(CQueryDocument& document, QWidget* dialogParent)
        : m_document(document), m_parent(dialogParent)
    {
    }

    // Before closing: asks "Save changes to %1?" when the document is modified. True when the
    // document may close (saved, or the answer was No).
    bool SaveModified();
    // "Save": to the document's file, or as a new file when it has none or cannot be written.
    bool DoFileSave();
    // Saves to `path`; with an empty path asks for one first. Failures are shown.
    bool DoSave(const QString& path);

    // The rules of the "Save As" dialog, suggesting `suggestedPath`.
    static void PrepareSaveDialog(QFileDialog& dialog, const QString& suggestedPath);

private:
    QString AskPath() const;
    QString SuggestedPath() const;

    CQueryDocument& m_document;
    QWidget* m_parent;
};
