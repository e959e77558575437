#pragma once
// The numbers of an answer's "Content-Range: bytes first-last/total" (or
// "bytes */total"), as the download manager reads them from the origin.
#include <cstdint>
#include <string>

struct ContentRange {
    std::int64_t first = -1;  // -1 for "*" or when unreadable
    std::int64_t last = -1;
    std::int64_t total = 0;   // 0 for "*" or when unreadable
};
ContentRange ParseContentRange(const std::string& value);

// A decimal size; 0 when the text is none.
std::int64_t ParseSize(const std::string& text);
