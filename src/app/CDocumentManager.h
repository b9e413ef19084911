#pragma once

#include <QObject>

struct CDocumentContent;
class CChildFrame;
class CRecentFileList;
class QMdiArea;
class QMdiSubWindow;

// The one document type: creates new and opened documents, each in a window of its own in the
// main window's MDI area, names new ones TSL1, TSL2..., and keeps the recent-file list up to date.
class CDocumentManager : public QObject
{
    Q_OBJECT

public:
    CDocumentManager(QMdiArea& area, CRecentFileList& recentFiles, QObject* parent = nullptr);

    // A new empty document.
    CChildFrame* NewDocument();
    // Opens the file in a new window, or activates the window that has it open already. On
    // failure the error is shown and null returned.
    CChildFrame* OpenDocument(const QString& path);

    // A document restored from its recovery copy, modified, with its file when it had one (so
    // that Save writes there) or else untitled. A window that has that file open without
    // changes takes the restored content instead of a second window.
    CChildFrame* OpenRecovered(const CDocumentContent& content, const QString& path);

    QList<CChildFrame*> Frames() const;
    CChildFrame* FindByPath(const QString& path) const;

signals:
    void recentFilesChanged();
    void frameShown(CChildFrame* frame);

private:
    void Show(CChildFrame* frame);
    void NoteRecent(const QString& path);

    QMdiArea& m_area;
    CRecentFileList& m_recentFiles;
    int m_untitledCount = 0;
};
