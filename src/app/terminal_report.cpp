#include "app/terminal_report.h"

#include <algorithm>

void CTerminalReport::LookingUp(const std::string& page)
{
    Line("looking up " + page);
}

void CTerminalReport::Detected(const std::string& stream)
{
    Line("detected " + stream);
}

void CTerminalReport::Caching(const std::string& key, int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (key != cachingKey_) {
        cachingKey_ = key;
        cachingTenth_ = -1;
    }
    // Nothing cached is no news (a found stream is announced with 0 %).
    if (percent == 0 || percent / 10 <= cachingTenth_)
        return;
    cachingTenth_ = percent / 10;
    Line("caching " + std::to_string(percent) + " %");
}

void CTerminalReport::Playing(const std::string& url)
{
    Line("playing " + url);
}

void CTerminalReport::Failed(const std::string& reason)
{
    Line("failed: " + reason);
}

void CTerminalReport::Line(const std::string& text)
{
    std::fprintf(out_, "quelt: %s\n", text.c_str());
    std::fflush(out_);
}
