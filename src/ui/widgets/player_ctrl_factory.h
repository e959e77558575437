#pragma once
// The application's control factory: the program's own controls by their
// skin name. Each control registers how it is made; names nobody has
// registered create nothing, so a skin can name controls that are built
// later and keeps their places empty meanwhile.
#include "ui/widgets/ctrl_factory.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ui {

class CPlayerCtrlFactory : public FCCtrlFactory {
public:
    using Creator = std::function<QWidget*(const pugi::xml_node& element, const QRect& rect, QWidget* parent)>;

    // The program's factory, with the controls of the toolkit's player
    // controls ("tab_band") already registered.
    static CPlayerCtrlFactory& Instance();

    // A later registration of the same name replaces the earlier one; an
    // empty creator removes the name.
    void Register(const std::string& ctrlName, Creator creator);
    bool IsRegistered(const std::string& ctrlName) const { return creators_.count(ctrlName) != 0; }
    // A creator that stands in for the registered one until it is popped:
    // a second window that loads a skin naming the same control (the
    // preview's player) makes its own for the time of that load.
    void PushOverride(const std::string& ctrlName, Creator creator);
    void PopOverride(const std::string& ctrlName);

    QWidget* CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                        const std::string& ctrlName) override;

private:
    CPlayerCtrlFactory();
    std::map<std::string, Creator> creators_;
    std::map<std::string, std::vector<Creator>> overrides_;
};

}  // namespace ui
