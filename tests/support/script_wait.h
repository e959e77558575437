#pragma once
// Runs a script in an HTML view and waits for its value (empty when it
// gives none within the wait's bound).
#include "platform/web/html_view.h"
#include "support/event_wait.h"

#include <string>

namespace test_support {

inline std::string RunScriptAndWait(platform::HtmlView& view, const std::string& code)
{
    std::string result;
    bool done = false;
    view.ExecScript(code, [&](const std::string& value) {
        result = value;
        done = true;
    });
    RunEventsUntil([&] { return done; });
    return result;
}

}  // namespace test_support
