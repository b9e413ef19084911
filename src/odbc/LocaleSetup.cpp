#include "odbc/LocaleSetup.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace odbc {

namespace {

bool CodesetIsUtf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

} // namespace

void EnsureUtf8Locale()
{
    if (std::setlocale(LC_ALL, "") && CodesetIsUtf8()) {
        return;
    }
    if (std::setlocale(LC_ALL, "C.UTF-8") && CodesetIsUtf8()) {
        return;
    }
    // Keep the character handling UTF-8 at least, whatever the rest says.
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

} // namespace odbc
