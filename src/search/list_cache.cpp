#include "search/list_cache.h"

#include "common/app_folder.h"
#include "common/atomic_file.h"
#include "common/md5.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr std::uintmax_t kMaxCachedList = 16 * 1024 * 1024;

}  // namespace

std::string ListCachePath(const std::string& url)
{
    const std::string folder = GetUserFolders().data + "sseting";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder + "/" + Md5Hex(url);
}

bool ReadListCache(const std::string& url, std::string& body)
{
    const std::string path = ListCachePath(url);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxCachedList)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    body.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool WriteListCache(const std::string& url, std::string_view body)
{
    // A cache fetched again when lost: no flush to stall the window.
    return ReplaceFileAtomically(ListCachePath(url), body, Durability::Replaced).ok;
}
