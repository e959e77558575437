#include "ui/widgets/player_ctrl_factory.h"

#include "ui/tab_band/wnd_tab_band.h"

#include <utility>

namespace ui {

CPlayerCtrlFactory& CPlayerCtrlFactory::Instance()
{
    static CPlayerCtrlFactory factory;
    return factory;
}

CPlayerCtrlFactory::CPlayerCtrlFactory()
{
    Register("tab_band", [](const pugi::xml_node& element, const QRect& rect, QWidget* parent) -> QWidget* {
        auto* band = new CWndTabBand(element, parent);
        band->setGeometry(rect);
        band->show();
        return band;
    });
}

void CPlayerCtrlFactory::Register(const std::string& ctrlName, Creator creator)
{
    if (creator)
        creators_[ctrlName] = std::move(creator);
    else
        creators_.erase(ctrlName);
}

void CPlayerCtrlFactory::PushOverride(const std::string& ctrlName, Creator creator)
{
    overrides_[ctrlName].push_back(std::move(creator));
}

void CPlayerCtrlFactory::PopOverride(const std::string& ctrlName)
{
    auto it = overrides_.find(ctrlName);
    if (it != overrides_.end() && !it->second.empty())
        it->second.pop_back();
}

QWidget* CPlayerCtrlFactory::CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                                        const std::string& ctrlName)
{
    const auto override = overrides_.find(ctrlName);
    if (override != overrides_.end() && !override->second.empty())
        return override->second.back()(element, rect, parent);
    auto it = creators_.find(ctrlName);
    return it == creators_.end() ? nullptr : it->second(element, rect, parent);
}

}  // namespace ui
