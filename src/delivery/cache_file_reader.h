#pragma once
// Sends a span of a cache file to a play connection, at most one block per
// call, straight from the file (sendfile). The file is opened for each
// block only, so the download can append to it, and even delete it and
// write it again from byte 0, between blocks.
#include "platform/async_socket.h"

#include <cstdint>
#include <string>

class CacheFileReader {
public:
    // Bytes begin..end of the video, read from the file at path, which
    // holds the video's bytes from offset fileBase on (0: the whole cache
    // file; a relayed tail of the video starts later).
    CacheFileReader(std::string path, std::int64_t begin, std::int64_t end, std::int64_t fileBase = 0);

    bool HasMore() const { return next_ < end_; }
    // Sends the next bytes of the span, at most maxBytes; the result says
    // how many went, or that the file holds none at the next offset now.
    platform::AsyncSocket::FileSendResult SendTo(platform::AsyncSocket& socket, std::size_t maxBytes);
    // Offset of the next byte to send, and the end of the span.
    std::int64_t Next() const { return next_; }
    std::int64_t End() const { return end_; }
    // Lengthens the span, for bytes known to follow in the file.
    void ExtendEnd(std::int64_t end) { end_ = end; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::int64_t next_;
    std::int64_t end_;
    std::int64_t fileBase_;
};

// Size of the file, or -1 when it cannot be read.
std::int64_t GetFileSize64(const std::string& path);
