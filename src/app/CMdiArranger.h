#pragma once

class QMdiArea;

// The "&Window" menu's arrangements that QMdiArea lacks.
class CMdiArranger
{
public:
    // The windows that are not minimized, one above the other, each the area's full width.
    static void TileHorizontally(QMdiArea& area);
    // The windows that are not minimized, side by side, each the area's full height.
    static void TileVertically(QMdiArea& area);
    // The minimized windows in a row along the bottom of the area.
    static void ArrangeIcons(QMdiArea& area);
};
