#include "delivery/cache_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

CacheFileReader::CacheFileReader(std::string path, std::int64_t begin, std::int64_t end, std::int64_t fileBase)
    : path_(std::move(path)), next_(begin), end_(end), fileBase_(fileBase)
{
}

void CacheFileReader::Refill()
{
    if (!chunk_.IsEmpty() || next_ >= end_)
        return;
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file)
        return;
    const auto wanted = static_cast<std::size_t>(std::min(end_ - next_, kChunkSize));
    std::size_t count = 0;
    if (next_ >= fileBase_ && fseeko(file, static_cast<off_t>(next_ - fileBase_), SEEK_SET) == 0)
        count = std::fread(chunk_.Reset(wanted), 1, wanted, file);
    std::fclose(file);
    chunk_.Truncate(count);
    next_ += static_cast<std::int64_t>(count);
}

std::int64_t GetFileSize64(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}
