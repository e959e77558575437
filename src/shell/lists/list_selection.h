#pragma once
// The items of a list view by key, and which are selected: a plain click
// selects one, Ctrl+click toggles one, Shift+click selects the run from the
// last plain click, as file managers do.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Which of an item's small buttons lies at x (item coordinates), counted
// from the right end: 0 covers w-22..w-4, 1 covers w-45..w-27; -1 for none.
int ItemButtonAt(int x, int itemWidth, int buttonCount);

class CListSelection {
public:
    // New items. What the user had selected stays selected (by key); only a
    // click selects. Returns the index of revealKey's item, to be shown.
    std::optional<std::size_t> Reset(std::vector<std::string> keys, const std::string& revealKey);

    std::size_t Count() const { return keys_.size(); }
    const std::string& KeyAt(std::size_t index) const { return keys_[index]; }
    bool IsSelected(std::size_t index) const { return selected_[index]; }
    std::vector<std::string> SelectedKeys() const;  // in item order
    std::size_t SelectedCount() const;
    std::optional<std::size_t> FirstSelected() const;

    void Click(std::size_t index, bool ctrl, bool shift);
    // A right click keeps a selection of two or more, else selects the item.
    void RightClick(std::size_t index);
    void SelectAll();
    // Selects only this item (clamped to the last one); nothing when empty.
    void SelectOnly(std::size_t index);

private:
    std::vector<std::string> keys_;
    std::vector<bool> selected_;
    std::size_t anchor_ = 0;
};
