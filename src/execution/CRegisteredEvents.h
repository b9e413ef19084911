#pragma once

#include <QEvent>
#include <QString>

class CPostElemArray;

// Event types shared between threads, registered by name once per process, so
// that every part of the program that knows a name gets the same type.
class CRegisteredEvents
{
public:
    static QEvent::Type Type(const QString& name);

    // A query thread's batch of result elements for the results window.
    static QEvent::Type ArrayPost() { return Type(QStringLiteral("WM_ARRAY_POST")); }
    // A number for the batch-parsing progress bar.
    static QEvent::Type SetCtrlNum() { return Type(QStringLiteral("WM_SETCTRL_NUM")); }
    // Show (1) or hide (0) the batch-parsing progress bar.
    static QEvent::Type DelayShow() { return Type(QStringLiteral("WM_DELAYSHOW")); }
    // The connection tree should ask again which data sources are connected.
    static QEvent::Type CheckConnections() { return Type(QStringLiteral("WM_CHECKCONNECTIONS")); }

    // Posts `event` to `receiver`; with `replace`, a waiting event of the same
    // type for that receiver is dropped first. Any thread.
    static void Post(QObject* receiver, QEvent* event, bool replace = false);
    // First thing a receiver does with an event posted by another thread. Only
    // a thread-race checker needs it: it cannot see inside Qt's event queue.
    static void Received(const QEvent* event);
};

// WM_ARRAY_POST: the batch stays the posting thread's; the receiver takes its
// elements and marks it handled.
class CArrayPostEvent : public QEvent
{
public:
    explicit CArrayPostEvent(CPostElemArray* batch)
        : QEvent(CRegisteredEvents::ArrayPost()), m_batch(batch)
    {
    }
    CPostElemArray* Batch() const { return m_batch; }
    // The batch of a WM_ARRAY_POST, counted received; null for an event of any other type.
    static CPostElemArray* BatchOf(QEvent* event);

private:
    CPostElemArray* m_batch;
};

// WM_SETCTRL_NUM and WM_DELAYSHOW: one number.
class CValueEvent : public QEvent
{
public:
    CValueEvent(QEvent::Type type, qint64 value) : QEvent(type), m_value(value) {}
    qint64 Value() const { return m_value; }

private:
    qint64 m_value;
};
