#include "execution/CRegisteredEvents.h"

#include <QCoreApplication>
#include <QHash>

#include <mutex>

#if defined(__SANITIZE_THREAD__)
#define TESSELLA_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TESSELLA_TSAN 1
#endif
#endif
#ifdef TESSELLA_TSAN
#include <sanitizer/tsan_interface.h>
#endif

QEvent::Type CRegisteredEvents::Type(const QString& name)
{
    static std::mutex lock;
    static QHash<QString, QEvent::Type> types;
    std::lock_guard guard(lock);
    auto found = types.constFind(name);
    if (found != types.constEnd()) {
        return *found;
    }
    const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    types.insert(name, type);
    return type;
}

void CRegisteredEvents::Post(QObject* receiver, QEvent* event, bool replace)
{
    if (replace) {
        QCoreApplication::removePostedEvents(receiver, event->type());
    }
#ifdef TESSELLA_TSAN
    __tsan_release(event);
#endif
    QCoreApplication::postEvent(receiver, event);
}

CPostElemArray* CArrayPostEvent::BatchOf(QEvent* event)
{
    if (event->type() != CRegisteredEvents::ArrayPost()) {
        return nullptr;
    }
    CRegisteredEvents::Received(event);
    return static_cast<CArrayPostEvent*>(event)->Batch();
}

void CRegisteredEvents::Received(const QEvent* event)
{
#ifdef TESSELLA_TSAN
    __tsan_acquire(const_cast<QEvent*>(event));
#else
    Q_UNUSED(event);
#endif
}
