#pragma once

#include <QIcon>

// The two 16-pixel pictures of the connection tree, made once and shared by every tree.
class CConnectionIcons
{
public:
    static const QIcon& NotConnected();
    static const QIcon& Connected();
};
