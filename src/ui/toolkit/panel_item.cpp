#include "ui/toolkit/panel_item.h"

#include "ui/toolkit/skin_values.h"

namespace ui {

void FCPanelItemBase::AddChild(FCPanelItemBase* child)
{
    if (!child || children_.PCL_IndexOf(child) >= 0)
        return;
    child->parent_ = this;
    children_.PCL_PushObject(child);
}

FCRect FCPanelItemBase::GetAbsoluteRect() const
{
    long long x = rect_.x;
    long long y = rect_.y;
    for (const FCPanelItemBase* up = parent_; up; up = up->parent_) {
        x += up->rect_.x;
        y += up->rect_.y;
    }
    return {ClampSkinCoordinate(x), ClampSkinCoordinate(y), rect_.width, rect_.height};
}

bool FCPanelItemBase::IsShownInWindow() const
{
    for (const FCPanelItemBase* item = this; item; item = item->parent_)
        if (!item->visible_)
            return false;
    return true;
}

FCFontHandle FCPanelItemBase::GetFont() const
{
    return FCFontCache::Instance().GetDefaultFont();
}

void FCPanelItemBase::LayoutForParent(FCSize oldParent, FCSize newParent)
{
    const FCSize oldSize{rect_.width, rect_.height};
    rect_ = LayoutRect(rect_, modes_, oldParent, newParent);
    LayoutChildren(oldSize, FCSize{rect_.width, rect_.height});
}

void FCPanelItemBase::LayoutChildren(FCSize oldSize, FCSize newSize)
{
    if (oldSize == newSize)
        return;
    for (FCPanelItemBase* child : children_)
        child->LayoutForParent(oldSize, newSize);
}

void FCPanelItemBase::Visit(const std::function<void(FCPanelItemBase&)>& visitor)
{
    visitor(*this);
    for (FCPanelItemBase* child : children_)
        child->Visit(visitor);
}

FCPanelItemBase* FCPanelItemBase::FindByCommandId(int commandId)
{
    if (commandId_ == commandId)
        return this;
    for (FCPanelItemBase* child : children_)
        if (FCPanelItemBase* found = child->FindByCommandId(commandId))
            return found;
    return nullptr;
}

void FCPanelItemBase::ReadCommonAttributes(const pugi::xml_node& element)
{
    rect_ = ReadSkinRect(element);
    commandId_ = ReadSkinInt(element, "item_command_id", 0);
    modes_.positionX = ReadSkinInt(element, "position_x_mode", 1);
    modes_.positionY = ReadSkinInt(element, "position_y_mode", 1);
    modes_.resizeX = ReadSkinInt(element, "resize_x_mode", 1);
    modes_.resizeY = ReadSkinInt(element, "resize_y_mode", 1);
    colorScheme_ = ReadSkinInt(element, "color_scheme", 1);
}

FCFontHandle FCPanelItemText::GetFont() const
{
    return ownFont ? ownFont : FCPanelItemBase::GetFont();
}

void FCPanelItemWIN32Ctrl::KeepElement(const pugi::xml_node& element)
{
    element_.reset();
    element_.append_copy(element);
}

FCFontHandle ReadOwnFont(const pugi::xml_node& element)
{
    const int size = ReadSkinInt(element, "font_size", 0);
    if (size == 0)
        return nullptr;
    std::string face = ReadSkinText(element, "font_name");
    if (face.empty())
        face = FCFontCache::Instance().GetDefaultFont()->face;
    const int weight = ReadSkinInt(element, "font_bold", 0) != 0 ? kFontWeightBold : kFontWeightRegular;
    return FCFontCache::Instance().Get(face, size, weight);
}

}  // namespace ui
