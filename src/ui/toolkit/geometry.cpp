#include "ui/toolkit/geometry.h"

#include <algorithm>

namespace ui {
namespace {

// Mode 0 keeps the distance to the far edge, 2 centres (rounded toward
// zero), anything else keeps the distance to the near edge.
int LayoutPosition(int mode, int position, int newSize, int oldParent, int newParent)
{
    if (mode == 0)
        return ClampSkinCoordinate(static_cast<long long>(position) + newParent - oldParent);
    if (mode == 2)
        return ClampSkinCoordinate((static_cast<long long>(newParent) - newSize) / 2);
    return position;
}

int LayoutSize(int mode, int size, int oldParent, int newParent)
{
    if (mode == 0)
        return ClampSkinCoordinate(static_cast<long long>(size) + newParent - oldParent);
    return size;
}

}  // namespace

int ClampSkinCoordinate(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, -kMaxSkinCoordinate, kMaxSkinCoordinate));
}

FCRect LayoutRect(const FCRect& rect, const FCLayoutModes& modes, FCSize oldParent, FCSize newParent)
{
    FCRect out = rect;
    out.width = LayoutSize(modes.resizeX, rect.width, oldParent.cx, newParent.cx);
    out.height = LayoutSize(modes.resizeY, rect.height, oldParent.cy, newParent.cy);
    out.x = LayoutPosition(modes.positionX, rect.x, out.width, oldParent.cx, newParent.cx);
    out.y = LayoutPosition(modes.positionY, rect.y, out.height, oldParent.cy, newParent.cy);
    return out;
}

}  // namespace ui
