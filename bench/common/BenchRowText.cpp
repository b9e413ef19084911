#include "BenchRowText.h"

QString BenchRowText(int id, int amountOffset)
{
    QString text = QString::number(id);
    text += u'\t';
    text += QStringLiteral("item-%1").arg(id, 15, 10, QLatin1Char('0'));
    text += u'\t';
    text += QString::number(double(id) * 0.37 + amountOffset, 'f', 2);
    text += u'\t';
    text += QStringLiteral("20%1-%2-%3")
                .arg(id % 25, 2, 10, QLatin1Char('0'))
                .arg(id % 12 + 1, 2, 10, QLatin1Char('0'))
                .arg(id % 28 + 1, 2, 10, QLatin1Char('0'));
    text += u'\t';
    if (id % 10 != 0) {
        text += QStringLiteral("note number %1").arg(id);
    }
    return text;
}
