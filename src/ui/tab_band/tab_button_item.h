#pragma once
// One button of the tab band: the view window it stands for and its state.
#include "ui/toolkit/geometry.h"

#include <string>

namespace ui {

class CTabButtonItem {
public:
    CTabButtonItem(int viewId, bool closable) : viewId_(viewId), closable_(closable) {}

    int GetViewId() const { return viewId_; }
    bool IsClosable() const { return closable_; }
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }
    const std::string& GetText() const { return text_; }
    void SetText(const std::string& text) { text_ = text; }
    const FCRect& GetRect() const { return rect_; }
    void SetRect(const FCRect& rect) { rect_ = rect; }

    // The close box: 13 x 13 pixels, 16 left of the right edge and 8 below
    // the top; empty for buttons that cannot be closed.
    FCRect GetCloseBoxRect() const;

private:
    int viewId_;
    bool closable_;
    bool selected_ = false;
    std::string text_;
    FCRect rect_;
};

}  // namespace ui
