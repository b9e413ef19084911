#include "appbase/CSuperApp.h"

#include "appbase/CMessageStrings.h"
#include "odbc/CODBCObject.h"

#include <QApplication>
#include <QLocale>
#include <QThread>

namespace {

CSuperApp* s_instance = nullptr;

// Connect errors that the ODBC layer is asked to show; they may come from any thread.
void ShowOdbcError(const QString& text)
{
    CSuperApp* app = CSuperApp::Instance();
    if (!app) {
        return;
    }
    QMetaObject::invokeMethod(
        app, [app, text] { app->ReportOdbcErrorText(text); },
        QThread::currentThread() == app->thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

// The locale's time format without the time zone, which the program never shows.
QString TimeFormatOf(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QMessageBox::StandardButtons ButtonsOf(CSuperApp::MessageStyle style)
{
    switch (style) {
    case CSuperApp::MessageStyle::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case CSuperApp::MessageStyle::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(CSuperApp::MessageStyle style)
{
    switch (style) {
    case CSuperApp::MessageStyle::Error:
        return QMessageBox::Critical;
    case CSuperApp::MessageStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::Question;
    }
}

} // namespace

CSuperApp::CSuperApp(QObject* parent) : QObject(parent)
{
    s_instance = this;
    ReadRegionalSettings();
    CODBCObject::SetErrorDisplay(&ShowOdbcError);
}

CSuperApp::~CSuperApp()
{
    if (s_instance == this) {
        s_instance = nullptr;
        CODBCObject::SetErrorDisplay(nullptr);
    }
}

CSuperApp* CSuperApp::Instance()
{
    return s_instance;
}

void CSuperApp::ReadRegionalSettings()
{
    const QLocale locale = QLocale::system();
    m_dateFormat = locale.dateFormat(QLocale::ShortFormat);
    m_timeFormat = TimeFormatOf(locale);
    // The date helpers write minutes "NN" so that they cannot be taken for months.
    QString time = m_timeFormat;
    time.replace(QStringLiteral("mm"), QStringLiteral("NN"));
    m_dateTimeFormat = m_dateFormat + QLatin1Char(' ') + time;
    m_decimalSeparator = locale.decimalPoint().left(1);
    if (m_decimalSeparator.isEmpty()) {
        m_decimalSeparator = QStringLiteral(",");
    }
}

QString CSuperApp::ApplicationName() const
{
    return CMessageStrings::Text(MsgAppTitle);
}

bool CSuperApp::LoadString(int id, QString& text) const
{
    return CMessageStrings::Load(id, text);
}

QMessageBox::StandardButton CSuperApp::MessagePrimitive(const QString& text, MessageStyle style,
                                                        int /*helpId*/)
{
    QMessageBox box(IconOf(style), ApplicationName(), text, ButtonsOf(style),
                    QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton CSuperApp::ShowError(const QString& text, int helpId)
{
    return MessagePrimitive(text, MessageStyle::Error, helpId);
}

QMessageBox::StandardButton CSuperApp::ShowInformation(const QString& text, int helpId)
{
    return MessagePrimitive(text, MessageStyle::Information, helpId);
}

QMessageBox::StandardButton CSuperApp::AskYesNo(const QString& text, int helpId)
{
    return MessagePrimitive(text, MessageStyle::YesNo, helpId);
}

QMessageBox::StandardButton CSuperApp::AskYesNoCancel(const QString& text, int helpId)
{
    return MessagePrimitive(text, MessageStyle::YesNoCancel, helpId);
}

QMessageBox::StandardButton CSuperApp::ShowError(int id, int helpId)
{
    return ById(id, MessageStyle::Error, helpId);
}

QMessageBox::StandardButton CSuperApp::ShowInformation(int id, int helpId)
{
    return ById(id, MessageStyle::Information, helpId);
}

QMessageBox::StandardButton CSuperApp::AskYesNo(int id, int helpId)
{
    return ById(id, MessageStyle::YesNo, helpId);
}

QMessageBox::StandardButton CSuperApp::AskYesNoCancel(int id, int helpId)
{
    return ById(id, MessageStyle::YesNoCancel, helpId);
}

QMessageBox::StandardButton CSuperApp::ById(int id, MessageStyle style, int helpId)
{
    QString text;
    if (!LoadString(id, text)) {
        text = FallbackText(style, id);
    }
    return MessagePrimitive(text, style, helpId);
}

QString CSuperApp::FallbackText(MessageStyle style, int id)
{
    QString text;
    switch (style) {
    case MessageStyle::YesNo:
        text = QStringLiteral("Kan (Yes/No) message niet laden. Message nummer:");
        break;
    case MessageStyle::YesNoCancel:
        text = QStringLiteral("Kan (Yes/No/Cancel) message niet laden. Message nummer:");
        break;
    default:
        text = QStringLiteral("Kan message niet laden. Message nummer:");
        break;
    }
    return text + QString::number(id);
}

void CSuperApp::ReportOdbcError(CODBCObject& object, int helpId)
{
    QString text;
    object.GetErrorText(text);
    if (!text.isEmpty()) {
        ReportOdbcErrorText(text, helpId);
    }
}

void CSuperApp::ReportOdbcErrorText(const QString& text, int helpId)
{
    ShowError(WithoutOdbcPrefixes(text), helpId);
}

QString CSuperApp::WithoutOdbcPrefixes(const QString& text)
{
    const qsizetype last = text.lastIndexOf(QLatin1Char(']'));
    return last < 0 ? text : text.mid(last + 1);
}
