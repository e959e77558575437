#include "ui/toolkit/panel_item_top.h"

#include "common/app_folder.h"
#include "ui/toolkit/skin_values.h"

#include <cstring>
#include <memory>

namespace ui {
namespace {

constexpr int kMinDefaultFontSize = 70;  // tenths of a point; at or below it the default stays
// Panels nested deeper than any real skin are not read, so that a damaged
// file cannot exhaust the stack of the recursive reading, layout and drawing.
constexpr int kMaxPanelDepth = 64;

void ReadChildren(FCPanelItemBase& container, const pugi::xml_node& element, int depth);

void ReadDefaultFont(const pugi::xml_node& element)
{
    const std::string face = ReadSkinText(element, "default_font_name");
    const int size = ReadSkinInt(element, "default_font_size", 0);
    if (!face.empty() && size > kMinDefaultFontSize)
        FCFontCache::Instance().SetDefaultFont(FCFontCache::Instance().Get(face, size, kFontWeightRegular));
}

FCPanelItemBase* ReadPanel(const pugi::xml_node& element, int depth)
{
    auto panel = std::make_unique<FCPanelItemPanel>();
    panel->ReadCommonAttributes(element);
    ReadChildren(*panel, element, depth + 1);
    panel->fill.Read(element);
    panel->border.Read(element);
    return panel.release();
}

FCPanelItemBase* ReadCtrl(const pugi::xml_node& element)
{
    auto ctrl = std::make_unique<FCPanelItemWIN32Ctrl>();
    ctrl->ReadCommonAttributes(element);
    ctrl->ctrlName = ReadSkinText(element, "ctrl_name");
    ctrl->ctrlId = ReadSkinInt(element, "ctrl_id", 0);
    ctrl->KeepElement(element);
    return ctrl.release();
}

FCPanelItemBase* ReadText(const pugi::xml_node& element)
{
    auto text = std::make_unique<FCPanelItemText>();
    text->ReadCommonAttributes(element);
    text->text.Read(element);
    text->ownFont = ReadOwnFont(element);
    return text.release();
}

FCPanelItemBase* ReadChild(const pugi::xml_node& element, int depth)
{
    const char* name = element.name();
    if (std::strcmp(name, "mainframe") == 0)
        return new FCPanelItemTop;  // its own attributes and children are not read
    if (std::strcmp(name, "panel") == 0)
        return ReadPanel(element, depth);
    if (std::strcmp(name, "win32_ctrl") == 0)
        return ReadCtrl(element);
    if (std::strcmp(name, "string_item") == 0)
        return ReadText(element);
    return nullptr;
}

void ReadChildren(FCPanelItemBase& container, const pugi::xml_node& element, int depth)
{
    if (depth > kMaxPanelDepth)
        return;
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (FCPanelItemBase* item = ReadChild(child, depth))
            container.AddChild(item);
    }
}

}  // namespace

void ReadPanelChildren(FCPanelItemBase& container, const pugi::xml_node& element)
{
    ReadChildren(container, element, 0);
}

FCSkinLoadResult FCPanelItemTop::LoadSkin(const std::string& file)
{
    Clear();
    // Skins are named below the program folder ("skin/main/skin.xml").
    const std::string path = !file.empty() && file.front() != '/' ? GetAppFolder() + file : file;
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) {
        if (parsed.status == pugi::status_file_not_found || parsed.status == pugi::status_io_error)
            return {false, "skin file \"" + path + "\" cannot be read"};
        return {false, "skin file \"" + path + "\" is not well formed: " + parsed.description() +
                           " at offset " + std::to_string(parsed.offset)};
    }
    const pugi::xml_node root = document.document_element();
    if (!root)
        return {false, "skin file \"" + path + "\" has no document element"};
    ReadTop(root);
    return {true, {}};
}

void FCPanelItemTop::ReadTop(const pugi::xml_node& element)
{
    Clear();
    ReadDefaultFont(element);
    ReadCommonAttributes(element);
    ReadPanelChildren(*this, element);
    minSize_ = {ReadSkinInt(element, "app_min_size_x", -1), ReadSkinInt(element, "app_min_size_y", -1)};
    initSize_ = {ReadSkinInt(element, "init_wnd_x", 100), ReadSkinInt(element, "init_wnd_y", 100)};

    // The top item fills its window whatever the file says.
    FCRect rect = GetRect();
    rect.x = 0;
    rect.y = 0;
    SetRect(rect);
    SetLayoutModes(FCLayoutModes{1, 1, 0, 0});
    windowSize_ = {rect.width, rect.height};
}

void FCPanelItemTop::SetWindowSize(FCSize size)
{
    LayoutForParent(windowSize_, size);
    windowSize_ = size;
}

std::vector<FCPanelItemWIN32Ctrl*> FCPanelItemTop::GetCtrlItems()
{
    std::vector<FCPanelItemWIN32Ctrl*> ctrls;
    Visit([&ctrls](FCPanelItemBase& item) {
        if (auto* ctrl = dynamic_cast<FCPanelItemWIN32Ctrl*>(&item))
            ctrls.push_back(ctrl);
    });
    return ctrls;
}

FCPanelItemWIN32Ctrl* FCPanelItemTop::FindCtrl(int ctrlId)
{
    for (FCPanelItemWIN32Ctrl* ctrl : GetCtrlItems())
        if (ctrl->ctrlId == ctrlId)
            return ctrl;
    return nullptr;
}

void FCPanelItemTop::Clear()
{
    DeleteAllChildren();
    SetRect({});
    minSize_ = {-1, -1};
    initSize_ = {100, 100};
    windowSize_ = {};
}

}  // namespace ui
