#pragma once
// One video of the play list.
#include "records/xml_member.h"

#include <memory>
#include <string>

// Download state codes of a video.
enum VideoState : int {
    VIDEO_STATE_NEW = 0,
    VIDEO_STATE_LOADED = 1,
    VIDEO_STATE_DETECTED = 5,
    VIDEO_STATE_RESOLVED = 6,
    VIDEO_STATE_MANIFEST = 8,  // the stream is an HLS or DASH manifest
    VIDEO_STATE_NO_RESPONSE = 11,
    VIDEO_STATE_REMOVED = 12,
    VIDEO_STATE_HTTP_ERROR = 13,
    VIDEO_STATE_NOT_VIDEO = 15,
    VIDEO_STATE_INCOMPLETE = 17,
};

class InfoVideo : public FCController_XMLMember {
public:
    const char* GetElementName() const override { return "InfoVideo"; }
    std::vector<Property> GetProperties() override
    {
        return {{"a0", &a0}, {"a1", &a1}, {"a2", &a2}, {"a3", &a3}, {"a4", &a4}, {"a5", &a5}};
    }

    std::string a0;        // list mode: "1" play now, "2" queued, "3" preview only
    std::string a1;        // title
    std::string a2;        // key (page address; with a blank: one segment)
    std::string a3;        // referer of the stream
    std::string a4;        // stream URL
    std::string a5 = "0";  // total size in bytes, "0" while unknown

    // Run-time fields, not stored.
    int lookupDone = 0;
    int state = VIDEO_STATE_NEW;
};

// A new play-list record: list mode (a0), title (a1), key (a2) and, when it
// is known already, the stream URL (a4); everything else as a new record
// has it (no referer, size "0", state new).
std::unique_ptr<InfoVideo> MakeVideoRecord(const std::string& key, const std::string& title, const std::string& mode,
                                           const std::string& streamUrl = {});
