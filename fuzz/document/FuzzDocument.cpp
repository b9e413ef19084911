// Reads arbitrary bytes as a document file, both as a .tsl and as bare SQL. A file the program
// opens without complaint must save back unchanged (or crash never): bare SQL byte for byte, a
// document with its connection list as the writer writes it and its text byte for byte.

#include "document/CArchive.h"
#include "document/CDocumentFile.h"

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

// A save writes the password only while "save password" is on.
CDocumentContent AsSaved(CDocumentContent content)
{
    for (CConnectionData& entry : content.connections) {
        if (entry.m_savePassword == 0) {
            entry.m_password.clear();
        }
    }
    return content;
}

// The bytes a save of unchanged content must give: the connection list in the writer's own
// string form, then the stored text exactly.
QByteArray ExpectedBytes(const QString& name, const QByteArray& bytes)
{
    if (!CDocumentFile::IsDocumentName(name)) {
        return bytes;
    }
    CArchive in(CArchive::Mode::Load, bytes);
    CConnectionDataArray connections;
    connections.Serialize(in);
    CArchive out(CArchive::Mode::Store);
    connections.Serialize(out);
    return out.Bytes() + bytes.mid(in.Position());
}

void CheckRoundTrip(const QString& name, const QByteArray& bytes)
{
    CDocumentContent loaded;
    try {
        loaded = CDocumentFile::Decode(name, bytes);
    } catch (const CArchiveException&) {
        return; // reported to the user as an unexpected format
    }
    const QByteArray saved = CDocumentFile::Encode(name, loaded);
    if (saved != ExpectedBytes(name, bytes)) {
        Fail("saving unchanged content changed the bytes");
    }
    CDocumentContent reloaded;
    try {
        reloaded = CDocumentFile::Decode(name, saved);
    } catch (const CArchiveException&) {
        Fail("a saved document does not load");
    }
    const CDocumentContent expected = AsSaved(loaded);
    if (reloaded.connections != expected.connections) {
        Fail("connections changed");
    }
    if (reloaded.sqlText != expected.sqlText || reloaded.textForm != expected.textForm) {
        Fail("SQL text changed");
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
