#pragma once
// Places the tab buttons side by side, all the same width between the
// band's narrowest and widest button.
#include "ui/tab_band/tab_button_item.h"

#include <memory>
#include <vector>

namespace ui {

class CTabButtonLayout {
public:
    static constexpr int kLeftMargin = 12;

    // Every button gets max(minWidth, min(maxWidth, (clientWidth - 12) / n))
    // and the full client height; they start at x = 12 without gaps, and may
    // run past the band's edge when there are many (up to kMaxSkinCoordinate).
    static void Layout(const std::vector<std::unique_ptr<CTabButtonItem>>& buttons, int clientWidth,
                       int clientHeight, int minItemWidth, int maxItemWidth);
    static int ButtonWidth(int count, int clientWidth, int minItemWidth, int maxItemWidth);
};

}  // namespace ui
