#pragma once

#include <QObject>

class CTessellaDoc;

// Stands where the workbench has its results pane: takes every batch that the
// query threads post into the document.
class CHeadlessResultsWindow : public QObject
{
public:
    explicit CHeadlessResultsWindow(CTessellaDoc& document) : m_document(document) {}

protected:
    bool event(QEvent* event) override;

private:
    CTessellaDoc& m_document;
};
