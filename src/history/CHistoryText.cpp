#include "history/CHistoryText.h"

#include <algorithm>

QString CHistoryText::Scrub(QString text, QStringList secrets)
{
    std::sort(secrets.begin(), secrets.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& secret : std::as_const(secrets)) {
        if (!secret.isEmpty()) {
            text.replace(secret, Mask(), Qt::CaseSensitive);
        }
    }
    return text;
}

QString CHistoryText::CutToBytes(const QString& text, qsizetype bytes, bool& cut)
{
    // No character takes more than three bytes per UTF-16 unit: a text this short fits whole.
    cut = false;
    if (text.size() * 3 <= bytes) {
        return text;
    }
    qsizetype used = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        const char16_t unit = text.at(at).unicode();
        qsizetype units = 1;
        qsizetype size = unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        if (QChar::isHighSurrogate(unit) && at + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(at + 1).unicode())) {
            units = 2;
            size = 4;
        }
        if (used + size > bytes) {
            cut = true;
            return text.first(at);
        }
        used += size;
        at += units;
    }
    return text;
}
