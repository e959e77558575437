#include "common/stream_start.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr unsigned char kFlvHeader[] = {'F', 'L', 'V', 1, 0, 0, 0, 0, 9};  // byte 4 (the tracks) is free
constexpr std::size_t kFlvHeaderSize = sizeof kFlvHeader;

bool MatchesFlvHeader(const unsigned char* b, std::size_t count)
{
    for (std::size_t i = 0; i < std::min(count, kFlvHeaderSize); ++i)
        if (i != 4 && b[i] != kFlvHeader[i])
            return false;
    return true;
}

bool IsMp4Brand(const unsigned char* brand)
{
    // The brands MP4 files carry today: ISO base media, its QuickTime and
    // 3GPP relatives, Flash's F4V and the segmented CMAF and DASH forms.
    static constexpr std::string_view kPrefixes[] = {"mp4", "iso2", "iso3", "iso4", "iso5", "iso6", "iso7", "iso8",
                                                     "iso9", "isom", "avc1", "M4V ", "dash", "f4v ", "qt  ",
                                                     "3gp", "3g2", "cmfc"};
    const std::string_view text(reinterpret_cast<const char*>(brand), 4);
    return std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                       [&](std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; });
}

// The "ftyp" box: 4 bytes of size, "ftyp", the major brand, a version, then
// compatible brands up to the box's end. A file whose major brand is a
// vendor's own still counts when it names an MP4 brand as compatible.
StreamStart ClassifyFtyp(const unsigned char* b, std::size_t count)
{
    if (count < 12)
        return StreamStart::Undecided;
    if (IsMp4Brand(b + 8))
        return count > 12 ? StreamStart::Mp4 : StreamStart::Undecided;
    const std::uint32_t boxSize = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16)
                                  | (std::uint32_t{b[2]} << 8) | b[3];
    const std::size_t end = std::min<std::size_t>(boxSize, count);
    for (std::size_t at = 16; at + 4 <= end; at += 4)
        if (IsMp4Brand(b + at))
            return StreamStart::Mp4;
    return count < boxSize ? StreamStart::Undecided : StreamStart::None;
}

}  // namespace

StreamStart ClassifyStreamStart(const char* block, std::size_t count)
{
    if (!block || count == 0)
        return StreamStart::Undecided;
    const auto* b = reinterpret_cast<const unsigned char*>(block);
    if (b[0] == 'F' && MatchesFlvHeader(b, count))
        return count > kFlvHeaderSize ? StreamStart::Flv : StreamStart::Undecided;
    if (b[0] == 0 && (count < 2 || b[1] == 0)) {
        const std::size_t seen = std::min<std::size_t>(count, 8);
        if (count <= 4 || std::memcmp(b + 4, "ftyp", seen - 4) == 0)
            return count < 8 ? StreamStart::Undecided : ClassifyFtyp(b, count);
        return StreamStart::None;
    }
    std::string_view text(block, count);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    constexpr std::string_view kHls = "#EXTM3U";
    if (text.substr(0, kHls.size()) == kHls)
        return StreamStart::HlsManifest;
    if (text.size() < kHls.size() && kHls.substr(0, text.size()) == text)
        return StreamStart::Undecided;
    // A DASH manifest: its MPD element follows an XML declaration or comment.
    if (text.substr(0, 1) == "<" && text.substr(0, kManifestWindow).find("<MPD") != std::string_view::npos)
        return StreamStart::DashManifest;
    return StreamStart::None;
}

std::string MediaTypeOf(StreamStart kind)
{
    switch (kind) {
    case StreamStart::Flv:
        return "video/x-flv";
    case StreamStart::Mp4:
        return "video/mp4";
    default:
        return {};
    }
}
