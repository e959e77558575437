#include "delivery/cache_file_reader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

CacheFileReader::CacheFileReader(std::string path, std::int64_t begin, std::int64_t end, std::int64_t fileBase)
    : path_(std::move(path)), next_(begin), end_(end), fileBase_(fileBase)
{
}

platform::AsyncSocket::FileSendResult CacheFileReader::SendTo(platform::AsyncSocket& socket, std::size_t maxBytes)
{
    platform::AsyncSocket::FileSendResult result;
    if (!HasMore())
        return result;
    if (next_ < fileBase_) {
        result.fileEnded = true;  // (the file starts later than the span)
        return result;
    }
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(end_ - next_, static_cast<std::int64_t>(maxBytes)));
    result = socket.SendFile(path_, next_ - fileBase_, wanted);
    next_ += result.sent;
    return result;
}

std::int64_t GetFileSize64(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}
