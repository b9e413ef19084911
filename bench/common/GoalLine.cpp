#include "GoalLine.h"

#include <cstdio>

QString GoalLine::Text() const
{
    return QStringLiteral("GOAL\t%1\t%2\t%3\t%4x (<= %5x)\t%6\n")
        .arg(name, figure, reference)
        .arg(ratio, 0, 'f', 2)
        .arg(limit, 0, 'f', 2)
        .arg(Met() ? u"met"_qs : u"NOT met"_qs);
}

void GoalLine::Print() const
{
    std::fputs(Text().toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString Seconds(double seconds)
{
    return QStringLiteral("%1 s").arg(seconds, 0, 'f', 3);
}
