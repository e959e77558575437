#include "ui/toolkit/geometry.h"

namespace ui {
namespace {

// Mode 0 keeps the distance to the far edge, 2 centres (rounded toward
// zero), anything else keeps the distance to the near edge.
int LayoutPosition(int mode, int position, int newSize, int oldParent, int newParent)
{
    if (mode == 0)
        return position + (newParent - oldParent);
    if (mode == 2)
        return (newParent - newSize) / 2;
    return position;
}

}  // namespace

FCRect LayoutRect(const FCRect& rect, const FCLayoutModes& modes, FCSize oldParent, FCSize newParent)
{
    FCRect out = rect;
    if (modes.resizeX == 0)
        out.width = rect.width + (newParent.cx - oldParent.cx);
    if (modes.resizeY == 0)
        out.height = rect.height + (newParent.cy - oldParent.cy);
    out.x = LayoutPosition(modes.positionX, rect.x, out.width, oldParent.cx, newParent.cx);
    out.y = LayoutPosition(modes.positionY, rect.y, out.height, oldParent.cy, newParent.cy);
    return out;
}

}  // namespace ui
