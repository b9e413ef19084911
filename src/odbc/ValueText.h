#pragma once

// Bound result values turned into the text of a row. A value comes either as
// wide text (UTF-16, what every driver can give) or, from drivers whose 8-bit
// text is UTF-8, as UTF-8 bytes: some drivers give those several times faster.
// Both paths yield the same characters.

#include <QString>

#include <sql.h>

namespace odbc {

// Appends a zero-terminated wide value of at most `maxChars` characters, its
// tabs made blanks (a tab would split the value into two fields of the row).
void AppendWideValue(QString& text, const SQLWCHAR* element, SQLLEN maxChars);

// Appends a zero-terminated UTF-8 value of at most `maxBytes` bytes, cut to
// `maxChars` UTF-16 characters as its wide form would be, tabs made blanks.
// True when it had to cut: the driver, which cut the wide form, would have
// said so with a truncation warning.
bool AppendUtf8Value(QString& text, const char* element, SQLLEN maxBytes, SQLLEN maxChars);

// The warning line for a value cut by AppendUtf8Value.
QString CutValueWarning();

} // namespace odbc
