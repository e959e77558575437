#include "shell/lists/list_selection.h"

#include <algorithm>

int ItemButtonAt(int x, int itemWidth, int buttonCount)
{
    for (int button = 0; button < buttonCount; ++button) {
        const int right = itemWidth - 4 - button * 23;
        if (x >= right - 18 && x < right)
            return button;
    }
    return -1;
}

std::optional<std::size_t> CListSelection::Reset(std::vector<std::string> keys, const std::string& selectKey)
{
    keys_ = std::move(keys);
    selected_.assign(keys_.size(), false);
    std::optional<std::size_t> chosen;
    if (!selectKey.empty()) {
        const auto it = std::find(keys_.begin(), keys_.end(), selectKey);
        if (it != keys_.end())
            chosen = static_cast<std::size_t>(it - keys_.begin());
    }
    if (chosen) {
        selected_[*chosen] = true;
        anchor_ = *chosen;
    }
    if (anchor_ >= keys_.size())
        anchor_ = 0;
    return chosen;
}

std::vector<std::string> CListSelection::SelectedKeys() const
{
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (selected_[i])
            keys.push_back(keys_[i]);
    return keys;
}

std::size_t CListSelection::SelectedCount() const
{
    return static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), true));
}

std::optional<std::size_t> CListSelection::FirstSelected() const
{
    const auto it = std::find(selected_.begin(), selected_.end(), true);
    if (it == selected_.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - selected_.begin());
}

void CListSelection::Click(std::size_t index, bool ctrl, bool shift)
{
    if (index >= keys_.size())
        return;
    if (shift) {
        const auto [first, last] = std::minmax(anchor_, index);
        if (!ctrl)
            std::fill(selected_.begin(), selected_.end(), false);
        for (std::size_t i = first; i <= last; ++i)
            selected_[i] = true;
        return;
    }
    if (ctrl) {
        selected_[index] = !selected_[index];
    } else {
        std::fill(selected_.begin(), selected_.end(), false);
        selected_[index] = true;
    }
    anchor_ = index;
}

void CListSelection::RightClick(std::size_t index)
{
    if (index < keys_.size() && SelectedCount() < 2)
        Click(index, false, false);
}

void CListSelection::SelectAll()
{
    std::fill(selected_.begin(), selected_.end(), true);
}

void CListSelection::SelectOnly(std::size_t index)
{
    if (keys_.empty())
        return;
    Click(std::min(index, keys_.size() - 1), false, false);
}
