#pragma once
// A record that describes itself as one XML element: an element name and an
// ordered list of (attribute name, text field) properties. The four record
// kinds of the player are written into "setting.xml" this way.
#include <pugixml.hpp>

#include <string>
#include <utility>
#include <vector>

class FCController_XMLMember {
public:
    using Property = std::pair<const char*, std::string*>;

    virtual ~FCController_XMLMember() = default;
    virtual const char* GetElementName() const = 0;
    virtual std::vector<Property> GetProperties() = 0;
};

// Appends one element named after the record to root, with one attribute per
// property whose value is not empty (empty values are left out).
void SaveElement(FCController_XMLMember& record, pugi::xml_node root);

// Fills the record from element. False, and the record untouched, when the
// element is not named after the record. Otherwise every property is emptied
// and then set from the attribute of the same name; attributes without a
// property are ignored.
bool LoadElement(FCController_XMLMember& record, pugi::xml_node element);
