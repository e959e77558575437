#pragma once
#include "records/xml_member.h"

// One favorite; its video is kept in "favorite/" + MD5(url).
class InfoFavorite : public FCController_XMLMember {
public:
    const char* GetElementName() const override { return "favorite"; }
    std::vector<Property> GetProperties() override { return {{"title", &title}, {"url", &url}}; }

    std::string title;
    std::string url;  // the video key
};
