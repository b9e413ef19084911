#pragma once

#include <QString>

namespace odbc {

// The name of the user this process runs as: the password database's entry
// for the effective user id, else $USER, else empty.
QString LoggedOnUserName();

} // namespace odbc
