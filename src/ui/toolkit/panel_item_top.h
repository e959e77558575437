#pragma once
// The top item of a skinned window: reads a skin file into the item tree and
// always fills its window.
#include "ui/toolkit/panel_item.h"

#include <string>
#include <vector>

namespace ui {

struct FCSkinLoadResult {
    bool ok = false;
    std::string error;  // why the file gave no tree, for the log
};

class FCPanelItemTop : public FCPanelItemBase {
public:
    // Reads the file and builds the tree from its document element. A file
    // that is missing or not well formed leaves an empty tree and says why.
    // A relative path is taken below the program folder.
    FCSkinLoadResult LoadSkin(const std::string& file);
    // Builds the tree from an element already in memory.
    void ReadTop(const pugi::xml_node& element);

    // The window's minimum size (-1: none) and its initial size.
    FCSize GetMinSize() const { return minSize_; }
    FCSize GetInitSize() const { return initSize_; }

    // The window's client area has a new size; the tree follows it.
    void SetWindowSize(FCSize size);
    FCSize GetWindowSize() const { return windowSize_; }

    // The child-window places in document order, and one by its control id.
    std::vector<FCPanelItemWIN32Ctrl*> GetCtrlItems();
    FCPanelItemWIN32Ctrl* FindCtrl(int ctrlId);

private:
    void Clear();

    FCSize minSize_{-1, -1};
    FCSize initSize_{100, 100};
    FCSize windowSize_;
};

// Reads the children of a container element (the top item or a panel) in
// document order; unknown element names are skipped, and panels nested more
// than 64 deep are read without their children.
void ReadPanelChildren(FCPanelItemBase& container, const pugi::xml_node& element);

}  // namespace ui
