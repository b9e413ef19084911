#pragma once

#include "execution/CPostElemArray.h"

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>

class CTessellaDoc;

// Stands where the workbench has its results pane: takes every batch that the
// query threads post into the document, or hands its elements to a sink.
class CHeadlessResultsWindow : public QObject
{
public:
    // Reads a batch's elements, which are gone once it returns: their texts borrow the batch's
    // memory, so that even a copy of one (QString's, which shares it) must not be kept; a deep
    // copy (QString(text.constData(), text.size())) may.
    using Sink = std::function<void(const CPostElemArray& batch)>;

    explicit CHeadlessResultsWindow(CTessellaDoc& document) : m_document(document) {}

    // With a sink the document's result list stays empty: every batch goes to the sink.
    void SetSink(Sink sink) { m_sink = std::move(sink); }

    // CLOCK_MONOTONIC in nanoseconds when the last batch was taken; 0 before the first. The
    // clock is the machine's, so that a parent process can time a run from its own start.
    qint64 LastIntakeNs() const { return m_lastIntakeNs; }
    static qint64 MonotonicNs();

protected:
    bool event(QEvent* event) override;

private:
    // The batch of a WM_ARRAY_POST to the sink; false for an event of any other type.
    bool TakeToSink(QEvent* event);

    CTessellaDoc& m_document;
    Sink m_sink;
    qint64 m_lastIntakeNs = 0;
};
