#include "ui/tab_band/tab_button_layout.h"

#include <algorithm>

namespace ui {

FCRect CTabButtonItem::GetCloseBoxRect() const
{
    if (!closable_)
        return {};
    constexpr int kSize = 13;
    return {rect_.Right() - 16, rect_.y + 8, kSize, kSize};
}

int CTabButtonLayout::ButtonWidth(int count, int clientWidth, int minItemWidth, int maxItemWidth)
{
    if (count <= 0)
        return 0;
    const int width = std::max(minItemWidth, std::min(maxItemWidth, (clientWidth - kLeftMargin) / count));
    return ClampSkinCoordinate(width);
}

void CTabButtonLayout::Layout(const std::vector<std::unique_ptr<CTabButtonItem>>& buttons, int clientWidth,
                              int clientHeight, int minItemWidth, int maxItemWidth)
{
    const int width = ButtonWidth(static_cast<int>(buttons.size()), clientWidth, minItemWidth, maxItemWidth);
    int x = kLeftMargin;
    for (const auto& button : buttons) {
        button->SetRect({x, 0, width, clientHeight});
        x = ClampSkinCoordinate(static_cast<long long>(x) + width);
    }
}

}  // namespace ui
