#include "app/CStartupProbe.h"

#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

CStartupProbe::CStartupProbe(Clock::time_point started, QObject* parent)
    : QObject(parent), m_started(started)
{
    QCoreApplication::instance()->installEventFilter(this);
}

CStartupProbe::~CStartupProbe()
{
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
}

bool CStartupProbe::Wanted()
{
    return qEnvironmentVariableIsSet("TESSELLA_EXIT_WHEN_SHOWN");
}

QString CStartupProbe::ReportLine(const QString& title, double millisecondsSinceMain,
                                  qint64 clockNs)
{
    return QStringLiteral("tessella: document window \"%1\" shown %2 ms after main(); steady "
                          "clock %3 ns")
        .arg(title)
        .arg(millisecondsSinceMain, 0, 'f', 1)
        .arg(clockNs);
}

const CChildFrame* CStartupProbe::DocumentWindowOf(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (const auto* frame = qobject_cast<const CChildFrame*>(widget)) {
            return frame;
        }
    }
    return nullptr;
}

bool CStartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (m_painted || event->type() != QEvent::Paint || !watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    if (const CChildFrame* frame = DocumentWindowOf(static_cast<QWidget*>(watched))) {
        m_painted = true;
        m_title = frame->Document().Title();
        // The rest of the window paints in the same pass, and the pass ends with the flush to
        // the screen; a zero timer runs after both.
        QTimer::singleShot(0, this, &CStartupProbe::Announce);
    }
    return QObject::eventFilter(watched, event);
}

void CStartupProbe::Announce()
{
    QCoreApplication::instance()->removeEventFilter(this);
    const Clock::time_point now = Clock::now();
    const double milliseconds = std::chrono::duration<double, std::milli>(now - m_started).count();
    emit documentShown(
        m_title, milliseconds,
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count());
}
