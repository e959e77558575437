#include "records/xml_member.h"

#include <cstring>

void SaveElement(FCController_XMLMember& record, pugi::xml_node root)
{
    pugi::xml_node element = root.append_child(record.GetElementName());
    for (const auto& [name, value] : record.GetProperties()) {
        if (name && *name && value && !value->empty())
            element.append_attribute(name).set_value(value->c_str());
    }
}

bool LoadElement(FCController_XMLMember& record, pugi::xml_node element)
{
    if (!element || std::strcmp(element.name(), record.GetElementName()) != 0)
        return false;
    const auto properties = record.GetProperties();
    for (const auto& property : properties)
        property.second->clear();
    for (const pugi::xml_attribute attribute : element.attributes()) {
        for (const auto& [name, value] : properties) {
            if (std::strcmp(name, attribute.name()) == 0) {
                *value = attribute.value();
                break;
            }
        }
    }
    return true;
}
