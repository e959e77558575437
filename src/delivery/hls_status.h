#pragma once
// What the cache holds of an HLS or DASH video: segments (each init section
// counts as one) arrived, missing for good, and listed, and the bytes kept.
#include <cstddef>
#include <cstdint>

struct HlsStatus {
    bool known = false;  // the video plays from segments and its manifest is here
    std::size_t done = 0;
    std::size_t missing = 0;
    std::size_t count = 0;
    std::int64_t bytes = 0;
    bool live = false;  // a live stream: its list still grows, so it is never complete
    bool IsComplete() const { return known && !live && count > 0 && done == count; }
};
