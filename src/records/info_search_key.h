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

    // This run's counters, never stored: videos added, searches started,
    // and the minutes counted toward the next search.
    int added = 0;
    int searches = 0;
    int ticks = 0;
};
