#include "document/CConnectionDataArray.h"

#include "document/CArchive.h"

#include <limits>
#include <stdexcept>

namespace {

// Three empty strings in their one-byte form and three 32-bit integers.
constexpr qsizetype kSmallestEntryBytes = 3 + 3 * 4;

} // namespace

void CConnectionDataArray::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        if (size() > std::numeric_limits<qint32>::max()) {
            throw std::length_error("CConnectionDataArray: too many entries for the file");
        }
        archive.WriteInt32(qint32(size()));
        for (CConnectionData& entry : *this) {
            entry.Serialize(archive);
        }
        return;
    }
    // The stored count is untrusted: a count that the bytes left cannot hold fails before any
    // entry is read, rather than after a long file of small entries has been taken in. No
    // reserve() either, since each entry in memory is several times its smallest size on file.
    const qint32 count = archive.ReadInt32();
    if (count > 0 && count > archive.Remaining() / kSmallestEntryBytes) {
        throw CArchiveException("more entries than the archive can hold");
    }
    for (qint32 i = 0; i < count; ++i) {
        CConnectionData entry;
        entry.Serialize(archive);
        append(entry);
    }
}

bool CConnectionDataArray::StoresPassword() const
{
    for (const CConnectionData& entry : *this) {
        if (entry.StoresPassword()) {
            return true;
        }
    }
    return false;
}
