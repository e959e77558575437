#include "delivery/dash_sidx.h"

#include <cstring>

namespace {

// Big-endian reads over a bounded view; a read past the end fails.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Read(int count, std::uint64_t& value)
    {
        if (at_ + static_cast<std::size_t>(count) > bytes_.size())
            return false;
        value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[at_++]);
        return true;
    }
    bool Skip(std::size_t count)
    {
        if (at_ + count > bytes_.size())
            return false;
        at_ += count;
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// The sidx box's fields after its header; body holds exactly the box's rest.
SidxIndex ReadSidxBody(std::string_view body, std::uint64_t boxEnd)
{
    SidxIndex index;
    Reader in(body);
    std::uint64_t versionAndFlags = 0, timescale = 0, ept = 0, firstOffset = 0, count = 0;
    if (!in.Read(4, versionAndFlags) || !in.Skip(4) || !in.Read(4, timescale))
        return index;
    const int width = (versionAndFlags >> 24) == 0 ? 4 : 8;
    if (!in.Read(width, ept) || !in.Read(width, firstOffset) || !in.Skip(2) || !in.Read(2, count))
        return index;
    if (timescale == 0 || count == 0)
        return index;
    std::uint64_t at = boxEnd + firstOffset;
    std::uint64_t time = ept;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t typeAndSize = 0, duration = 0;
        if (!in.Read(4, typeAndSize) || !in.Read(4, duration) || !in.Skip(4))
            return index;
        const std::uint64_t size = typeAndSize & 0x7fffffffu;
        if ((typeAndSize & 0x80000000u) != 0 || size == 0)
            return index;  // a reference to another index, or an empty one
        index.references.push_back(SidxReference{at, at + size - 1, time, duration});
        at += size;
        time += duration;
    }
    index.valid = true;
    index.timescale = static_cast<std::uint32_t>(timescale);
    index.earliestPresentationTime = ept;
    return index;
}

}  // namespace

SidxIndex ParseSidx(std::string_view bytes, std::uint64_t offset)
{
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        Reader head(bytes.substr(at));
        std::uint64_t size = 0;
        head.Read(4, size);
        std::size_t header = 8;
        if (size == 1) {  // a 64-bit size follows the type
            if (!head.Skip(4) || !head.Read(8, size))
                return {};
            header = 16;
        }
        if (size < header || size > bytes.size() - at)
            return {};  // cut short, or reaching past the range (size 0: to the file's end)
        if (std::memcmp(bytes.data() + at + 4, "sidx", 4) == 0)
            return ReadSidxBody(bytes.substr(at + header, size - header), offset + at + size);
        at += size;
    }
    return {};
}
