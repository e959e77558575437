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

std::optional<std::size_t> CListSelection::Reset(std::vector<std::string> keys, const std::string& revealKey)
{
    const std::vector<std::string> kept = SelectedKeys();
    const std::string anchorKey = anchor_ < keys_.size() ? keys_[anchor_] : std::string();
    keys_ = std::move(keys);
    selected_.assign(keys_.size(), false);
    anchor_ = 0;
    std::optional<std::size_t> revealed;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (std::find(kept.begin(), kept.end(), keys_[i]) != kept.end())
            selected_[i] = true;
        if (keys_[i] == anchorKey)
            anchor_ = i;
        if (!revealKey.empty() && keys_[i] == revealKey && !revealed)
            revealed = i;
    }
    return revealed;
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
