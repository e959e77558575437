#pragma once
// A record that describes itself as one XML element: an element name and an
// ordered list of (attribute name, text field) properties.
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
