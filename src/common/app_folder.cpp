#include "common/app_folder.h"

#include <filesystem>
#include <system_error>

namespace {
std::string& Override()
{
    static std::string folder;
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
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void SetAppFolderForTesting(const std::string& folder)
{
    Override() = folder;
    if (!folder.empty() && folder.back() != '/')
        Override() += '/';
}
