#pragma once
// Streams a span of a cache file in chunks of at most 512 KiB. The file is
// opened for one chunk read and closed again, so the download can append to
// it between chunks.
#include "delivery/play_request_buffer.h"

#include <cstdint>
#include <string>

class CacheFileReader {
public:
    static constexpr std::int64_t kChunkSize = 512 * 1024;

    // Bytes begin..end of the video, read from the file at path, which
    // holds the video's bytes from offset fileBase on (0: the whole cache
    // file; a relayed tail of the video starts later).
    CacheFileReader(std::string path, std::int64_t begin, std::int64_t end, std::int64_t fileBase = 0);

    // Reads the next chunk when the previous one is fully sent and bytes
    // remain. A file that cannot be opened leaves the reader unchanged.
    void Refill();
    PlayRequestBuffer& Chunk() { return chunk_; }
    // Offset of the next byte to read, and the end of the span.
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
    PlayRequestBuffer chunk_;
};

// Size of the file, or -1 when it cannot be read.
std::int64_t GetFileSize64(const std::string& path);
