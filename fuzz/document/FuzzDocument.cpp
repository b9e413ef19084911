// Reads arbitrary bytes as a document file, both as a .tsl and as bare SQL. Whatever loads must
// save and load again to the same content: a file the program opens without complaint must never
// change (or crash) on its next save.

#include "CArchive.h"
#include "CDocumentFile.h"
#include "CSqlTextCodec.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "document round trip: %s\n", what);
    std::abort();
}

// A save writes the password only while "save password" is on, and always with CR LF breaks.
CDocumentContent AsSaved(CDocumentContent content)
{
    for (CConnectionData& entry : content.connections) {
        if (entry.m_savePassword == 0) {
            entry.m_password.clear();
        }
    }
    content.sqlText = CSqlTextCodec::NormaliseLineBreaks(content.sqlText);
    return content;
}

void CheckRoundTrip(const QString& name, const QByteArray& bytes)
{
    CDocumentContent loaded;
    try {
        loaded = CDocumentFile::Decode(name, bytes);
    } catch (const CArchiveException&) {
        return; // reported to the user as an unexpected format
    }
    const CDocumentContent expected = AsSaved(loaded);
    const QByteArray saved = CDocumentFile::Encode(name, loaded);
    CDocumentContent reloaded;
    try {
        reloaded = CDocumentFile::Decode(name, saved);
    } catch (const CArchiveException&) {
        Fail("a saved document does not load");
    }
    if (reloaded.connections != expected.connections) {
        Fail("connections changed");
    }
    if (reloaded.sqlText != expected.sqlText) {
        Fail("SQL text changed");
    }
    // A second save of what was loaded back must give the very same bytes.
    if (CDocumentFile::Encode(name, reloaded) != saved) {
        Fail("a second save wrote other bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckRoundTrip(QStringLiteral("fuzz.tsl"), bytes);
    CheckRoundTrip(QStringLiteral("fuzz.sql"), bytes);
    return 0;
}
