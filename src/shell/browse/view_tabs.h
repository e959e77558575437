#pragma once
// The browsing tabs as the views see them: a new tab of a kind, and the
// text of a tab's button.
#include <string>

class PlayHtmlViewBase;

// The kinds of view a tab holds.
enum class ViewKind { Search = 1, Browser = 2, Special = 3 };

class IViewTabs {
public:
    virtual ~IViewTabs() = default;
    // A new tab, hidden until its button is selected; null when the panel
    // is missing, all ids are taken or the kind has no factory.
    virtual PlayHtmlViewBase* OpenViewTab(ViewKind kind, bool closable) = 0;
    virtual void SetTabText(int viewId, const std::string& text) = 0;
    // The view of an open tab, or null once it is closed.
    virtual PlayHtmlViewBase* FindTab(int viewId) const = 0;
};
