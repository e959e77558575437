#pragma once
// A window's stored place, moved (not resized) so that it lies on the
// screen's available area: a place saved on a larger or another screen
// must not open the window out of reach.
#include <QRect>

inline QRect KeepOnScreen(QRect place, const QRect& area)
{
    if (place.right() > area.right())
        place.moveRight(area.right());
    if (place.bottom() > area.bottom())
        place.moveBottom(area.bottom());
    if (place.left() < area.left())
        place.moveLeft(area.left());
    if (place.top() < area.top())
        place.moveTop(area.top());
    return place;
}
