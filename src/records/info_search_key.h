#pragma once
#include "records/xml_member.h"

// A keyword subscribed for scheduled searching.
class InfoSearchKey : public FCController_XMLMember {
public:
    const char* GetElementName() const override { return "detect_searchkey"; }
    std::vector<Property> GetProperties() override
    {
        return {{"key", &key}, {"interval", &interval}, {"limit", &limit}, {"schema", &schema}};
    }

    std::string key;
    std::string interval;
    std::string limit;
    std::string schema;
};
