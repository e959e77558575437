#include "delivery/flv_cache.h"

#include "common/app_folder.h"
#include "common/md5.h"
#include "records/info_video.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string GetCacheFolder()
{
    return GetUserFolders().cache + "temp/";
}

std::string GetCachePath(const InfoVideo& video)
{
    if (video.a4.empty())
        return {};
    return GetCacheFolder() + Md5Hex(video.a4);
}

CacheSizes GetCacheSizes(const InfoVideo& video)
{
    CacheSizes sizes;
    const std::string path = GetCachePath(video);
    std::error_code ec;
    if (!path.empty()) {
        const auto size = fs::file_size(path, ec);
        if (!ec)
            sizes.cached = static_cast<std::int64_t>(size);
    }
    // a5 is decimal text; anything unreadable counts as unknown.
    std::int64_t total = 0;
    const char* begin = video.a5.data();
    const auto [end, err] = std::from_chars(begin, begin + video.a5.size(), total);
    if (err == std::errc() && total > 0)
        sizes.total = total;
    (void)end;
    return sizes;
}

bool IsComplete(const InfoVideo& video)
{
    return IsComplete(GetCacheSizes(video));
}

bool IsComplete(const CacheSizes& sizes)
{
    return sizes.total > 0 && sizes.cached >= sizes.total;
}

void ClearCache()
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(GetCacheFolder(), ec)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored))
            fs::remove(entry.path(), ignored);
        else if (entry.path().extension() == ".hls")  // an HLS video's segments
            fs::remove_all(entry.path(), ignored);
    }
}

bool AppendToCacheFile(const std::string& path, const char* data, std::size_t count)
{
    if (path.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        std::error_code ec;
        fs::create_directories(fs::path(path).parent_path(), ec);
        file = std::fopen(path.c_str(), "ab");
        if (!file)
            return false;
    }
    const bool written = std::fwrite(data, 1, count, file) == count;
    return std::fclose(file) == 0 && written;
}

void DeleteCacheFile(const InfoVideo& video)
{
    const std::string path = GetCachePath(video);
    std::error_code ec;
    if (!path.empty())
        fs::remove(path, ec);
}

std::int64_t GetCacheFolderSize()
{
    std::int64_t total = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(GetCacheFolder(), ec)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored))
            total += static_cast<std::int64_t>(entry.file_size(ignored));
    }
    return total;
}
