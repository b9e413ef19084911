#include "odbc/CThreadOdbcOwner.h"

#include "odbc/CODBCObject.h"

#include <QStringList>

void CThreadOdbcOwner::AddMessage(const QString& text, int nativeError, int kind)
{
    if (nativeError != 0) {
        AddElement(u"[Native:"_qs + QString::number(nativeError) + u"]\t"_qs + text, kind);
    } else {
        AddElement(text, kind);
    }
}

void CThreadOdbcOwner::PostDiagnostics(CODBCObject& connection, int kind)
{
    QString text;
    SQLINTEGER nativeError = 0;
    connection.GetErrorText(text, &nativeError, false);
    if (text.isEmpty()) {
        return;
    }
    text.replace(u"\r\n"_qs, u"\t"_qs);
    const QStringList pieces = text.split(u'\t');
    for (qsizetype i = 0; i < pieces.size() && KeepRunning(); ++i) {
        AddMessage(pieces[i], i == 0 ? nativeError : 0, kind);
    }
}
