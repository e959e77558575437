#pragma once
// The segment index ("sidx" box) of a fragmented MP4 file, which a DASH
// representation addressed by SegmentBase names by its indexRange: the byte
// range and the duration of every fragment of the file. No Qt, no I/O.
#include <cstdint>
#include <string_view>
#include <vector>

struct SidxReference {
    std::uint64_t first = 0;     // byte offset in the file
    std::uint64_t last = 0;      // inclusive
    std::uint64_t time = 0;      // start, in the index's timescale
    std::uint64_t duration = 0;  // in the index's timescale
};

struct SidxIndex {
    bool valid = false;
    std::uint32_t timescale = 0;
    std::uint64_t earliestPresentationTime = 0;
    std::vector<SidxReference> references;
};

// Reads the first sidx box among the top-level boxes of bytes, which start
// at byte `offset` of the file (the fragments' offsets count from the end
// of that box). Not valid when there is no complete box, its timescale is
// 0, it lists nothing, or it refers to further indexes (reference_type 1),
// which are not followed.
SidxIndex ParseSidx(std::string_view bytes, std::uint64_t offset);
