#include "CConnectionDataArray.h"

#include "CArchive.h"

#include <limits>
#include <stdexcept>

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
    // No reserve() for the stored count: it is untrusted, and a huge count in a short file must
    // fail at the first missing entry rather than allocate.
    const qint32 count = archive.ReadInt32();
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
