#pragma once

namespace odbc {

// Drivers without wide-character entry points (SQLite's, for one) get their
// text converted by the driver manager through the C library's locale, so
// every program of ours must run with a UTF-8 locale. Takes the user's locale
// and falls back to C.UTF-8 when that is not UTF-8. Call first thing in main().
void EnsureUtf8Locale();

} // namespace odbc
