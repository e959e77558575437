#pragma once
// Plain geometry of the skin items, in pixels of the item's window.
namespace ui {

struct FCSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const FCSize&) const = default;
};

struct FCRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const FCRect&) const = default;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool Contains(int px, int py) const { return px >= x && py >= y && px < Right() && py < Bottom(); }
};

// Positions and sizes stay within this bound, far beyond any screen, so that
// the extreme values of a damaged skin cannot overflow the layout's sums.
inline constexpr int kMaxSkinCoordinate = 1 << 28;
int ClampSkinCoordinate(long long value);

// How an item follows its parent's change of size.
struct FCLayoutModes {
    int positionX = 1;
    int positionY = 1;
    int resizeX = 1;
    int resizeY = 1;
};

// The item's rectangle (relative to its parent) after the parent changed from
// oldParent to newParent. Sizes are not clamped here, so that shrinking and
// growing back again restores the original rectangle exactly; whoever draws
// or places a window treats a negative size as empty. Results are clamped
// to kMaxSkinCoordinate.
FCRect LayoutRect(const FCRect& rect, const FCLayoutModes& modes, FCSize oldParent, FCSize newParent);

}  // namespace ui
