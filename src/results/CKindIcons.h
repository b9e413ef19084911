#pragma once

#include <QIcon>

// The five 16-pixel pictures of the result list, one per element kind
// (title, information, error, row, header), drawn once per process.
class CKindIcons
{
public:
    // The icon of an element kind; a null icon for an unknown kind.
    static const QIcon& ForKind(int kind);
};
