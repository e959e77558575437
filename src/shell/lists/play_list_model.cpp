#include "shell/lists/play_list_model.h"

#include "delivery/flv_cache.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include <algorithm>

CPlayListModel::CPlayListModel(const CAppSetting& settings) : settings_(settings) {}

std::optional<std::size_t> CPlayListModel::Rebuild(const std::string& selectKey)
{
    keys_.clear();
    selected_.clear();
    std::optional<std::size_t> reveal;
    for (const InfoVideo* video : settings_.playList) {
        if (video->a0 == "3" || std::find(keys_.begin(), keys_.end(), video->a2) != keys_.end())
            continue;
        const bool chosen = !selectKey.empty() && video->a2 == selectKey;
        if (chosen) {
            reveal = keys_.size();
            anchor_ = keys_.size();
        }
        keys_.push_back(video->a2);
        selected_.push_back(chosen);
    }
    if (anchor_ >= keys_.size())
        anchor_ = 0;
    return reveal;
}

std::vector<std::string> CPlayListModel::SelectedKeys() const
{
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (selected_[i])
            keys.push_back(keys_[i]);
    return keys;
}

std::size_t CPlayListModel::SelectedCount() const
{
    return static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), true));
}

void CPlayListModel::Click(std::size_t index, bool ctrl, bool shift)
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

void CPlayListModel::RightClick(std::size_t index)
{
    if (index < keys_.size() && SelectedCount() < 2)
        Click(index, false, false);
}

void CPlayListModel::SelectAll()
{
    std::fill(selected_.begin(), selected_.end(), true);
}

CPlayListModel::Button CPlayListModel::ButtonAt(int x, int itemWidth)
{
    if (x >= itemWidth - 45 && x < itemWidth - 27)
        return Button::Preview;
    if (x >= itemWidth - 22 && x < itemWidth - 4)
        return Button::Save;
    return Button::None;
}

CPlayListModel::MenuState CPlayListModel::Menu() const
{
    MenuState state;
    const std::vector<std::string> keys = SelectedKeys();
    if (keys.empty())
        return state;
    const InfoVideo* first = FindVideo(settings_, keys.front());
    state.playAndPreview = keys.size() == 1;
    // A video that is gone or still downloading cannot be saved or kept.
    state.saveAndFavorite = first && IsComplete(*first);
    state.search = keys.size() == 1 && first;
    return state;
}

std::string CPlayListModel::SourcesText() const
{
    std::string text;
    for (const std::string& key : SelectedKeys())
        if (const InfoVideo* video = FindVideo(settings_, key))
            text += video->a1 + "\r\n" + video->a2 + "\r\n" + video->a4 + "\r\n\r\n\r\n";
    return text;
}
