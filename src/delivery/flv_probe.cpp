#include "delivery/flv_probe.h"

#include "common/stream_start.h"

#include <cstdint>
#include <cstring>
#include <fstream>

int GetFlvDuration(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char head[10];
    if (!in.read(head, sizeof head) || ClassifyStreamStart(head, sizeof head) != StreamStart::Flv)
        return 0;
    in.seekg(0, std::ios::end);
    const std::int64_t size = in.tellg();
    if (size < 4)
        return 0;
    unsigned char tail[4];
    in.seekg(size - 4);
    if (!in.read(reinterpret_cast<char*>(tail), 4))
        return 0;
    // The last four bytes give the size of the last tag.
    const std::int64_t tagSize = (std::int64_t{tail[0]} << 24) | (tail[1] << 16) | (tail[2] << 8) | tail[3];
    const std::int64_t blockSize = tagSize + 4;
    if (blockSize < 13 || blockSize > size)
        return 0;
    // Only the tag's header is read: the size comes from the file's last
    // bytes and may be gigabytes (a partial file ends in the middle of a tag).
    unsigned char tag[8];
    in.seekg(size - blockSize);
    if (!in.read(reinterpret_cast<char*>(tag), sizeof tag))
        return 0;
    // Timestamp: 24 bits big-endian, then the upper 8 bits.
    const std::uint32_t stamp = (std::uint32_t{tag[4]} << 16) | (std::uint32_t{tag[5]} << 8) | tag[6]
                                | (std::uint32_t{tag[7]} << 24);
    return static_cast<int>(stamp);
}

VideoStartKind DescribeVideoStart(const std::string& path)
{
    constexpr std::size_t kWanted = 256 * 1024;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(kWanted, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(kWanted));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const StreamStart kind = ClassifyStreamStart(bytes.data(), bytes.size());
    if (kind == StreamStart::Mp4)
        return VideoStartKind::Mp4;
    if (kind != StreamStart::Flv || bytes.size() < 13)
        return VideoStartKind::Unknown;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool hasAudio = (b[4] & 4) != 0;
    const bool hasVideo = (b[4] & 1) != 0;
    int video = -1;
    int audio = -1;
    std::size_t at = ((std::size_t{b[5]} << 24) | (std::size_t{b[6]} << 16) | (std::size_t{b[7]} << 8) | b[8]) + 4;
    while (at + 12 <= bytes.size() && ((hasVideo && video < 0) || (hasAudio && audio < 0))) {
        const int tagType = b[at] & 0x1f;
        const std::size_t size = (std::size_t{b[at + 1]} << 16) | (std::size_t{b[at + 2]} << 8) | b[at + 3];
        if (tagType == 9 && video < 0)
            video = b[at + 11] & 0x0f;
        if (tagType == 8 && audio < 0)
            audio = b[at + 11] >> 4;
        at += 11 + size + 4;
    }
    if ((hasVideo && video < 0) || (hasAudio && audio < 0))
        return VideoStartKind::Unknown;
    const bool decodable = (video < 0 || video == 7) && (audio < 0 || audio == 2 || audio == 10);
    return decodable ? VideoStartKind::FlvH264 : VideoStartKind::FlvOther;
}
