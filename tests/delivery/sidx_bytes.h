#pragma once
// A segment index box (sidx) written as a muxer writes it, for the tests of
// its reader and of SegmentBase manifests.
#include <cstdint>
#include <string>
#include <vector>

namespace sidx_test {

inline void Put(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

struct Ref {
    std::uint32_t size;
    std::uint32_t duration;
    bool index = false;  // reference_type 1: another sidx
};

inline std::string Sidx(int version, std::uint32_t timescale, std::uint64_t ept, std::uint64_t firstOffset,
                        const std::vector<Ref>& refs)
{
    std::string body;
    Put(body, static_cast<std::uint64_t>(version) << 24, 4);  // version and flags
    Put(body, 1, 4);                                          // reference_ID
    Put(body, timescale, 4);
    Put(body, ept, version == 0 ? 4 : 8);
    Put(body, firstOffset, version == 0 ? 4 : 8);
    Put(body, 0, 2);
    Put(body, refs.size(), 2);
    for (const Ref& ref : refs) {
        Put(body, (ref.index ? 0x80000000u : 0u) | ref.size, 4);
        Put(body, ref.duration, 4);
        Put(body, 0x90000000u, 4);  // starts with SAP, type 1
    }
    std::string box;
    Put(box, body.size() + 8, 4);
    box += "sidx";
    return box + body;
}

}  // namespace sidx_test
