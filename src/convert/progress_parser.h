#pragma once
// Reads the encoder's console output block by block: the total duration
// from "Duration: hh:mm:ss.xx," and the elapsed seconds between "time=" and
// "bitrate". Each block is examined on its own, so a line split across two
// blocks is not recognised; the conversion still completes.
#include <optional>
#include <string_view>

namespace convert {

class ProgressParser {
public:
    // The progress rate (elapsed / duration) when the block carries one.
    std::optional<float> Feed(std::string_view block);
    double Duration() const { return duration_; }

private:
    double duration_ = 0;
};

}  // namespace convert
