// A library that leaves a file behind when it is loaded, so that a test can tell whether a driver
// loaded it: the file named by TESSELLA_LOAD_MARKER is created.

#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void MarkLoaded()
{
    if (const char* path = std::getenv("TESSELLA_LOAD_MARKER")) {
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fclose(file);
        }
    }
}

} // namespace

// The entry point SQLite calls in a library it loads as an extension: the load then succeeds,
// and only the marker file tells that it happened.
extern "C" int sqlite3_extension_init(void*, char**, const void*)
{
    return 0;
}
