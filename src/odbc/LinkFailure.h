#pragma once

// Telling a connection whose link to the server is gone for good from one that
// merely reported an error. A kept connection of the first kind is dropped, so
// that the next run connects afresh instead of failing the same way until the
// user resets it by hand.

#include "odbc/DiagRecord.h"

namespace odbc {

// True when the record says the connection itself is lost. Deliberately
// narrow: a false "lost" costs only a reconnect, but a missed one costs every
// later run, and guessing from message text would misjudge other drivers.
bool IsLinkFailure(const DiagRecord& record);

} // namespace odbc
