#pragma once
// A byte queue with a read position: bytes are appended at the end and sent
// from the position. When everything is sent it empties itself; a sent
// prefix that has grown large is dropped so that a queue which never quite
// drains does not keep all it ever held.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PlayRequestBuffer {
public:
    void Append(const char* data, std::size_t count) { bytes_.insert(bytes_.end(), data, data + count); }
    void Assign(const std::string& text)
    {
        bytes_.assign(text.begin(), text.end());
        position_ = 0;
    }
    void Clear()
    {
        bytes_.clear();
        bytes_.shrink_to_fit();
        position_ = 0;
    }

    bool IsEmpty() const { return position_ == bytes_.size(); }
    std::int64_t Unsent() const { return static_cast<std::int64_t>(bytes_.size() - position_); }
    const char* UnsentData() const { return bytes_.data() + position_; }
    std::string UnsentText() const { return std::string(UnsentData(), bytes_.size() - position_); }

    // Replaces the contents with count writable bytes (to be read into),
    // positioned at the start; Truncate then keeps the bytes really read.
    char* Reset(std::size_t count)
    {
        bytes_.resize(count);
        position_ = 0;
        return bytes_.data();
    }
    void Truncate(std::size_t count)
    {
        if (count < bytes_.size())
            bytes_.resize(count);
        if (position_ > bytes_.size())
            position_ = bytes_.size();
    }

    // Marks count bytes as sent.
    void Consume(std::size_t count)
    {
        position_ += count;
        if (position_ == bytes_.size()) {
            bytes_.clear();
            position_ = 0;
        } else if (position_ >= kCompactAt && position_ * 2 >= bytes_.size()) {
            bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
            position_ = 0;
        }
    }

private:
    static constexpr std::size_t kCompactAt = 1 << 20;
    std::vector<char> bytes_;
    std::size_t position_ = 0;
};
