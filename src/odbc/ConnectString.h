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

// `text` with the value of every PWD or PASSWORD attribute (any case) and every occurrence of
// `password` replaced by asterisks, for diagnostics: drivers and the driver manager may quote
// the connect string, or the password alone. A password of fewer than four characters is only
// masked where it stands alone, not inside a longer word, so that it does not garble the
// message; such a fragment tells a reader nothing.
QString MaskPassword(const QString& text, const QString& password);

} // namespace odbc
