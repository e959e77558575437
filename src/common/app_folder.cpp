#include "common/app_folder.h"

#include "platform/user_dirs.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {
std::string& Override()
{
    static std::string folder;
    return folder;
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}
}  // namespace

std::string GetAppFolder()
{
    if (!Override().empty())
        return Override();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    return WithSlash(exe.parent_path().string());
}

void SetAppFolderForTesting(const std::string& folder)
{
    Override() = folder.empty() ? folder : WithSlash(folder);
}

UserFolders DecideUserFolders(const std::string& programFolder, const std::string& dataHome,
                              const std::string& cacheHome)
{
    const std::string folder = WithSlash(programFolder);
    std::error_code error;
    const bool installed = std::filesystem::exists(folder + kInstalledMarker, error)
                           || ::access(folder.c_str(), W_OK) != 0;
    if (!installed)
        return {folder, folder};
    return {WithSlash(dataHome) + "quelt/", WithSlash(cacheHome) + "quelt/"};
}

UserFolders GetUserFolders()
{
    // A test's program folder is always its own.
    if (!Override().empty())
        return {Override(), Override()};
    static const UserFolders decided =
        DecideUserFolders(GetAppFolder(), platform::UserDataHome(), platform::UserCacheHome());
    return decided;
}
