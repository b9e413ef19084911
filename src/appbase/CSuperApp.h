#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>

class CODBCObject;

// The application base: the application's name, the regional number and date settings the ODBC
// layer uses, string loading and the message boxes of the program. One instance lives while the
// application runs (create it after the QApplication); its operations are virtual so that an
// application, or a test, can replace them.
class CSuperApp : public QObject
{
    Q_OBJECT

public:
    enum class MessageStyle
    {
        Error,
        Information,
        YesNo,
        YesNoCancel,
    };

    explicit CSuperApp(QObject* parent = nullptr);
    ~CSuperApp() override;

    // The live instance, or null when there is none.
    static CSuperApp* Instance();

    virtual QString ApplicationName() const;
    // One character: the first of the locale's decimal symbol, "," when it has none.
    virtual QString DecimalSeparator() const { return m_decimalSeparator; }
    virtual QString DateFormat() const { return m_dateFormat; }
    virtual QString TimeFormat() const { return m_timeFormat; }
    // The date format, a blank and the time format with minutes written "NN".
    virtual QString DateTimeFormat() const { return m_dateTimeFormat; }

    // False, with `text` untouched, when the program has no string under `id`.
    virtual bool LoadString(int id, QString& text) const;

    // Shows a modal message box with the style's icon and buttons; answers the button pressed.
    virtual QMessageBox::StandardButton MessagePrimitive(const QString& text, MessageStyle style,
                                                         int helpId);

    QMessageBox::StandardButton ShowError(const QString& text, int helpId = 0);
    QMessageBox::StandardButton ShowInformation(const QString& text, int helpId = 0);
    QMessageBox::StandardButton AskYesNo(const QString& text, int helpId = 0);
    QMessageBox::StandardButton AskYesNoCancel(const QString& text, int helpId = 0);
    // By string number; a missing string shows the style's fallback text and the number.
    QMessageBox::StandardButton ShowError(int id, int helpId = 0);
    QMessageBox::StandardButton ShowInformation(int id, int helpId = 0);
    QMessageBox::StandardButton AskYesNo(int id, int helpId = 0);
    QMessageBox::StandardButton AskYesNoCancel(int id, int helpId = 0);

    // Shows the object's last error text, cut as ReportOdbcErrorText does; nothing when empty.
    void ReportOdbcError(CODBCObject& object, int helpId = 0);
    // Shows what follows the last "]" of `text` (the whole text when it has none) as an error.
    void ReportOdbcErrorText(const QString& text, int helpId = 0);
    static QString WithoutOdbcPrefixes(const QString& text);

    // The message shown for string `id` in `style` when the string is missing.
    static QString FallbackText(MessageStyle style, int id);

private:
    QMessageBox::StandardButton ById(int id, MessageStyle style, int helpId);
    void ReadRegionalSettings();

    QString m_dateFormat;
    QString m_timeFormat;
    QString m_dateTimeFormat;
    QString m_decimalSeparator;
};
