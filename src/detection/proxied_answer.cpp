#include "detection/proxied_answer.h"

#include "common/ascii_text.h"
#include "common/http_request_head.h"
#include "common/stream_start.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Body bytes looked at without an answer (a chunked body of chunk
// extensions only, say): past them the start is shown as it is.
constexpr std::int64_t kMaxUndecidedBody = 64 * 1024;

// "HTTP/1.x NNN ...": the status code, or -1.
int StatusOf(std::string_view head)
{
    if (head.size() < 12 || head.substr(0, 5) != "HTTP/" || head[8] != ' ')
        return -1;
    int code = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (head[i] < '0' || head[i] > '9')
            return -1;
        code = code * 10 + (head[i] - '0');
    }
    return code;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The value of the last header line of that name; found tells whether
// there is one.
std::string_view LastHeader(std::string_view head, std::string_view name, bool& found)
{
    found = false;
    std::string_view value;
    for (std::size_t start = head.find('\n'); start != std::string_view::npos && start + 1 < head.size();) {
        const std::size_t end = head.find('\n', start + 1);
        const std::string_view line = head.substr(start + 1, end == std::string_view::npos ? end : end - start - 1);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsIgnoringCase(Trim(line.substr(0, colon)), name)) {
            found = true;
            value = Trim(line.substr(colon + 1));
        }
        start = end;
    }
    return value;
}

}  // namespace

ProxiedAnswer::ProxiedAnswer(bool headRequest, std::size_t maxHead) : headRequest_(headRequest), maxHead_(maxHead) {}

ProxiedAnswer::State ProxiedAnswer::Take(const char* data, std::size_t size, std::string& forward)
{
    while (state_ == State::Head && size > 0) {
        // Only what can still belong to the heads is held; the empty line
        // may begin two bytes before the new ones, and what was scanned
        // once is not scanned again.
        const std::size_t before = head_.size();
        head_.append(data, std::min(size, maxHead_ + 1 - headsDone_ - before));
        const std::size_t from = before >= 2 ? before - 2 : 0;
        std::size_t end = FindHeadEnd(std::string_view(head_).substr(from));
        if (end == std::string::npos) {
            if (headsDone_ + head_.size() > maxHead_)
                state_ = State::TooLarge;
            return state_;
        }
        end += from;
        const int status = StatusOf(head_);
        if (status < 0) {
            state_ = State::Malformed;
            return state_;
        }
        head_.resize(end);
        forward += head_;
        headsDone_ += end;
        data += end - before;
        size -= end - before;
        // An interim answer (103 Early Hints, 100 Continue) is followed by
        // another head; 101 hands the connection over and is final.
        if (status < 100 || status >= 200 || status == 101) {
            BeginBody(head_, status);
            state_ = State::Body;
        }
        head_.clear();
    }
    if (state_ == State::Body && size > 0) {
        forward.append(data, size);
        TakeBody(data, size);
    }
    return state_;
}

void ProxiedAnswer::BeginBody(std::string_view head, int status)
{
    bool found = false;
    const std::string_view coding = LastHeader(head, "Transfer-Encoding", found);
    const std::size_t comma = coding.rfind(',');
    chunked_ = found && EqualsIgnoringCase(Trim(comma == std::string_view::npos ? coding : coding.substr(comma + 1)), "chunked");
    const std::string length(LastHeader(head, "Content-Length", found));
    if (found && !chunked_ && !length.empty() && length.find_first_not_of("0123456789") == std::string::npos)
        length_ = std::strtoll(length.c_str(), nullptr, 10);
    if (headRequest_ || status == 204 || status == 304 || length_ == 0)
        startKnown_ = true;
}

void ProxiedAnswer::TakeBody(const char* data, std::size_t size)
{
    if (startKnown_)
        return;
    taken_ += static_cast<std::int64_t>(size);
    if (chunked_) {
        Dechunk(data, size);
        return;
    }
    const std::size_t count = length_ < 0 ? size : std::min<std::size_t>(size, static_cast<std::size_t>(length_ - static_cast<std::int64_t>(start_.size())));
    start_.append(data, count);
    JudgeStart(length_ >= 0 && static_cast<std::int64_t>(start_.size()) >= length_);
}

// Chunks are a hex size (with optional extensions) and CR LF, the data and
// CR LF; a size of 0 ends the body. A framing that breaks the rule ends
// the start where it is.
void ProxiedAnswer::Dechunk(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size && !startKnown_;) {
        const char c = data[i];
        switch (chunk_) {
        case Chunk::Size:
            if (const int digit = HexDigitValue(c); digit >= 0 && sizeDigits_ < 15) {
                chunkLeft_ = chunkLeft_ * 16 + static_cast<std::uint64_t>(digit);
                ++sizeDigits_;
            } else if (sizeDigits_ > 0 && (c == ';' || c == ' ' || c == '\t' || c == '\r')) {
                chunk_ = Chunk::Extension;
            } else if (sizeDigits_ > 0 && c == '\n') {
                if (chunkLeft_ == 0) {
                    JudgeStart(true);
                    return;
                }
                chunk_ = Chunk::Data;
            } else {
                JudgeStart(true);
                return;
            }
            ++i;
            break;
        case Chunk::Extension:
            if (c == '\n') {
                if (chunkLeft_ == 0) {
                    JudgeStart(true);
                    return;
                }
                chunk_ = Chunk::Data;
            }
            ++i;
            break;
        case Chunk::Data: {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(chunkLeft_, size - i));
            start_.append(data + i, count);
            chunkLeft_ -= count;
            i += count;
            if (chunkLeft_ == 0)
                chunk_ = Chunk::DataEnd;
            break;
        }
        case Chunk::DataEnd:
            if (c == '\n') {
                chunk_ = Chunk::Size;
                sizeDigits_ = 0;
            } else if (c != '\r') {
                JudgeStart(true);
                return;
            }
            ++i;
            break;
        }
    }
    JudgeStart(false);
}

void ProxiedAnswer::JudgeStart(bool ended)
{
    if (ended || start_.size() >= kStreamStartBytes || taken_ > kMaxUndecidedBody
        || ClassifyStreamStart(start_.data(), start_.size()) != StreamStart::Undecided)
        startKnown_ = true;
}

void ProxiedAnswer::End()
{
    if (state_ == State::Body)
        startKnown_ = true;
}
