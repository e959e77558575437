#pragma once
// What the keyword search needs of the program: adding a found video to
// the play list, and the search tabs' manager's part (whether it exists,
// and the sites' speed records it rates with).
#include "search/speed_info.h"

#include <string>
#include <vector>

class IKeywordSearchHost {
public:
    virtual ~IKeywordSearchHost() = default;
    // mode "2": add to the play list (a video already listed stays as it is).
    virtual void AddVideo(const std::string& title, const std::string& key, const std::string& mode) = 0;
    // Whether the search tabs' manager exists: only then are the requests
    // narrowed to the keyword's category and the items to listed sites.
    virtual bool HasSearchViews() = 0;
    // Its speed records; null without speed information.
    virtual const std::vector<SpeedInfoRecord>* SpeedRecords() = 0;
};
