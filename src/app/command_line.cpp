#include "app/command_line.h"

#include "common/ids/string_ids.h"
#include "common/string_table.h"

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
    if (argument.empty())
        return request;
    if (argument == "uninstall") {
        request.uninstall = true;
    } else if (argument.starts_with("http://") || argument.starts_with("https://")) {
        const std::string path = argument.substr(0, argument.find_first_of("?#"));
        if (path.ends_with(".flv") || path.ends_with(".mp4"))
            request.streamUrl = argument;
        else
            request.pageUrl = argument;
    } else if (std::filesystem::is_regular_file(argument, error)) {
        request.pendingKey = std::filesystem::absolute(argument, error).string();
    } else {
        request.badPath = argument;
        if (!std::filesystem::exists(argument, error))
            request.problem = PathProblem::Missing;
        else if (std::filesystem::is_directory(argument, error))
            request.problem = PathProblem::Folder;
        else
            request.problem = PathProblem::NotAFile;
    }
    return request;
}

namespace {

constexpr const char* kVerbose = "--verbose";

}  // namespace

bool AsksForVerbose(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == kVerbose)
            return true;
    return false;
}

StartRequest ParseArguments(int argc, const char* const* argv)
{
    std::string argument;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) != kVerbose) {
            argument = argv[i];
            break;
        }
    StartRequest request = ParseCommandLine(argument);
    request.verbose = AsksForVerbose(argc, argv);
    return request;
}

std::string BadPathReason(const StartRequest& request)
{
    switch (request.problem) {
    case PathProblem::Missing: return request.badPath + ": no such file";
    case PathProblem::Folder: return request.badPath + ": is a folder, not a video file";
    case PathProblem::NotAFile: return request.badPath + ": is not a file that can be played";
    case PathProblem::None: break;
    }
    return {};
}

std::string BadPathStatus(const StartRequest& request)
{
    int id = 0;
    switch (request.problem) {
    case PathProblem::Missing: id = IDS_ARG_NO_SUCH_FILE; break;
    case PathProblem::Folder: id = IDS_ARG_IS_FOLDER; break;
    case PathProblem::NotAFile: id = IDS_ARG_NOT_A_FILE; break;
    case PathProblem::None: return {};
    }
    std::string text = LoadString(id);
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, request.badPath);
    return text;
}

std::string StreamTitle(const std::string& url)
{
    const std::size_t end = url.find_first_of("?#");
    const std::string path = url.substr(0, end);
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? url : name;
}
