#pragma once
// What the play-list view shows and how its selection behaves, without a
// display: one item per play-list video except the preview-only ones, the
// selection gestures of a file manager (click, Ctrl+click, Shift+click),
// the two buttons at an item's right end, the entries of menu 151 for a
// selection, and the text of "查看视频来源".
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class CAppSetting;

class CPlayListModel {
public:
    enum class Button { None, Preview, Save };
    struct MenuState {
        bool playAndPreview = false;  // 20500, 20501: only for one item
        bool saveAndFavorite = false; // 20502, 20506: the first item's video is whole
        bool search = false;          // 20507: exactly one item, and its video exists
    };

    explicit CPlayListModel(const CAppSetting& settings);

    // Items from the play list in order; the item of selectKey is the one
    // selected. Returns its index, to bring into view.
    std::optional<std::size_t> Rebuild(const std::string& selectKey);

    std::size_t Count() const { return keys_.size(); }
    const std::string& KeyAt(std::size_t index) const { return keys_[index]; }
    bool IsSelected(std::size_t index) const { return selected_[index]; }
    // The selected keys in item order.
    std::vector<std::string> SelectedKeys() const;
    std::size_t SelectedCount() const;

    // A left click: alone it selects that item only; with Ctrl it toggles
    // it; with Shift it selects the run from the last plain click.
    void Click(std::size_t index, bool ctrl, bool shift);
    // A right click keeps a selection of two or more, else selects the item.
    void RightClick(std::size_t index);
    void SelectAll();

    // Which button of an item of this width lies at x (item coordinates).
    static Button ButtonAt(int x, int itemWidth);
    MenuState Menu() const;
    // Title, page key and stream URL of each selected video, each block
    // followed by two empty lines, as bytes.
    std::string SourcesText() const;

private:
    const CAppSetting& settings_;
    std::vector<std::string> keys_;
    std::vector<bool> selected_;
    std::size_t anchor_ = 0;
};
