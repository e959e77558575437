#include "detection/proxied_answer.h"

#include "common/http_request_head.h"

#include <algorithm>
#include <string_view>

namespace {

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

}  // namespace

ProxiedAnswer::ProxiedAnswer(bool headRequest, std::size_t maxHead) : headRequest_(headRequest), maxHead_(maxHead) {}

ProxiedAnswer::State ProxiedAnswer::Take(const char* data, std::size_t size, std::string& forward)
{
    if (state_ == State::Body) {
        forward.append(data, size);
        TakeBody(data, size);
        return state_;
    }
    if (state_ != State::Head)
        return state_;
    // Only the part that can still belong to the head is looked at.
    const std::size_t before = head_.size();
    head_.append(data, std::min(size, maxHead_ + 1 - before));
    // The empty line may begin up to two bytes before the new ones, and
    // what was scanned once is not scanned again.
    const std::size_t from = before >= 2 ? before - 2 : 0;
    std::size_t end = FindHeadEnd(std::string_view(head_).substr(from));
    if (end != std::string::npos)
        end += from;
    if (end == std::string::npos) {
        if (head_.size() > maxHead_)
            state_ = State::TooLarge;
        return state_;
    }
    if (StatusOf(head_) < 0) {
        state_ = State::Malformed;
        return state_;
    }
    head_.resize(end);
    forward += head_;
    state_ = State::Body;
    const std::size_t used = end - before;
    if (headRequest_)
        startKnown_ = true;
    forward.append(data + used, size - used);
    TakeBody(data + used, size - used);
    return state_;
}

void ProxiedAnswer::TakeBody(const char* data, std::size_t size)
{
    if (startKnown_ || size == 0)
        return;
    start_.assign(data, size);
    startKnown_ = true;
}

void ProxiedAnswer::End()
{
    if (state_ == State::Body)
        startKnown_ = true;
}
