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
    creators_[ctrlName] = std::move(creator);
}

QWidget* CPlayerCtrlFactory::CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                                        const std::string& ctrlName)
{
    auto it = creators_.find(ctrlName);
    return it == creators_.end() ? nullptr : it->second(element, rect, parent);
}

}  // namespace ui
