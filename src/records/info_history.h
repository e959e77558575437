#pragma once
#include "records/xml_member.h"

// One entry of the view history.
class InfoHistory : public FCController_XMLMember {
public:
    const char* GetElementName() const override { return "view_history"; }
    std::vector<Property> GetProperties() override
    {
        return {{"view_time", &view_time}, {"title", &title}, {"url", &url}};
    }

    std::string view_time;  // local "MM-DD" of the viewing
    std::string title;
    std::string url;  // the video key
};
