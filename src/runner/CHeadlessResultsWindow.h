#pragma once

#include <QObject>
#include <QtGlobal>

class CTessellaDoc;

// Stands where the workbench has its results pane: takes every batch that the
// query threads post into the document.
class CHeadlessResultsWindow : public QObject
{
public:
    explicit CHeadlessResultsWindow(CTessellaDoc& document) : m_document(document) {}

    // CLOCK_MONOTONIC in nanoseconds when the last batch was taken; 0 before the first. The
    // clock is the machine's, so that a parent process can time a run from its own start.
    qint64 LastIntakeNs() const { return m_lastIntakeNs; }
    static qint64 MonotonicNs();

protected:
    bool event(QEvent* event) override;

private:
    CTessellaDoc& m_document;
    qint64 m_lastIntakeNs = 0;
};
