#include "app/command_line.h"

#include <filesystem>
#include <system_error>

StartRequest ParseCommandLine(std::string argument)
{
    while (!argument.empty() && argument.back() == '"')
        argument.pop_back();
    while (!argument.empty() && argument.front() == '"')
        argument.erase(argument.begin());
    StartRequest request;
    std::error_code error;
    if (argument == "uninstall") {
        request.uninstall = true;
    } else if (argument.starts_with("http://") || argument.starts_with("https://")) {
        const std::string path = argument.substr(0, argument.find_first_of("?#"));
        if (path.ends_with(".flv") || path.ends_with(".mp4"))
            request.streamUrl = argument;
        else
            request.pageUrl = argument;
    } else if (!argument.empty() && std::filesystem::is_regular_file(argument, error)) {
        request.pendingKey = std::filesystem::absolute(argument, error).string();
    }
    return request;
}

std::string StreamTitle(const std::string& url)
{
    const std::size_t end = url.find_first_of("?#");
    const std::string path = url.substr(0, end);
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? url : name;
}
