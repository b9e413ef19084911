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

// True for the drivers known to give 8-bit text as UTF-8 under a UTF-8 locale
// and to give it at least as fast as wide text; `driverName` as
// SQL_DRIVER_NAME gives it.
bool DriverGivesUtf8Text(const QString& driverName);

// True for a driver that fills a wide element to its last character, leaving
// out the terminator, when a value needs all of it (MariaDB's does, with
// characters beyond the Basic Multilingual Plane): a UTF-8 value then shows
// one character more than the column's display size, as its wide form would.
bool DriverFillsWideElements(const QString& driverName);

// True for the drivers with 8-bit entry points only, whose text is UTF-8.
bool DriverTakesOnlyUtf8(const QString& driverName);

// True for a driver that takes a ';' inside a comment as the end of the statement and refuses
// the statement for the text after it (SQLite's: "only one SQL statement allowed").
bool DriverEndsStatementsInComments(const QString& driverName);

} // namespace odbc
