#pragma once

#include <QString>

// Helpers for ODBC connection strings ("KEY=value;KEY=value").
namespace odbc {

// A value as it may stand after "KEY=": unchanged when harmless, otherwise in
// braces with every "}" doubled, so that user input can never end the value
// early and add attributes of its own.
QString QuoteConnectValue(const QString& value);

// The value of `key` (matched exactly, at the start of an attribute) in a
// completed connection string; braces are removed and "}}" undoubled.
// Empty when the key is absent.
QString ConnectValue(const QString& connectString, const QString& key);

} // namespace odbc
