#pragma once
// A parse view that loads nothing: it records the address of every result
// page the search asks it for, and the test hands the search the results
// and ticks itself.
#include "search/parse_view.h"

#include <string>
#include <vector>

namespace test_support {

class RecordingParseView : public CQueltParseView {
public:
    explicit RecordingParseView(std::vector<std::string>& loads) : loads_(loads) {}
    void Navigate(const SearchSite& site) override
    {
        site_ = site;
        loads_.push_back(site.requestUrl);
    }
    void StopNavigation() override {}

private:
    std::vector<std::string>& loads_;
};

}  // namespace test_support
