#pragma once

#include "formats/CUtf8Out.h"

#include <QStringList>
#include <QStringView>

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
void AppendJsonString(CUtf8Out& out, QStringView text);
// A JSON array of strings.
void AppendJsonStrings(CUtf8Out& out, const QStringList& texts);
