#include "CRegisteredEvents.h"

#include <QHash>

#include <mutex>

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
