#pragma once
// The interception proxy's view of an answer as the server sends it: the
// heads (any 1xx interim answers, then the final one), each held back
// until it is whole and all of them within a size limit, then the final
// answer's body, of which the detection is shown the first bytes with any
// chunked framing taken off: as many as tell what the body is. No I/O: the
// proxy feeds it what it reads and sends on what it gives back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ProxiedAnswer {
public:
    // A HEAD request's answer has no body, whatever its head says.
    ProxiedAnswer(bool headRequest, std::size_t maxHead);

    enum class State {
        Head,       // a head is still arriving
        Body,       // the final head went on; body bytes pass as they come
        TooLarge,   // the heads passed the limit (the client gets 502)
        Malformed,  // no HTTP answer head (the client gets 502)
    };
    // Takes the next bytes from the server; appends to forward what the
    // client may have now: nothing while a head arrives, each head once it
    // is whole, body bytes at once.
    State Take(const char* data, std::size_t size, std::string& forward);
    // The server closed: a body without a length ends here.
    void End();
    State GetState() const { return state_; }

    // True once BodyStart() holds the body's first bytes, de-chunked: the
    // first-bytes classification is no longer undecided about them, or
    // kStreamStartBytes are there, or the body ended (it may be empty).
    bool StartKnown() const { return startKnown_; }
    const std::string& BodyStart() const { return start_; }

private:
    void BeginBody(std::string_view head, int status);
    void TakeBody(const char* data, std::size_t size);
    void Dechunk(const char* data, std::size_t size);
    void JudgeStart(bool ended);

    bool headRequest_;
    std::size_t maxHead_;
    std::size_t headsDone_ = 0;  // bytes of the heads already passed on
    State state_ = State::Head;
    std::string head_;

    bool chunked_ = false;
    std::int64_t length_ = -1;  // Content-Length, -1 when none
    std::int64_t taken_ = 0;    // body bytes looked at
    enum class Chunk { Size, Extension, Data, DataEnd } chunk_ = Chunk::Size;
    std::uint64_t chunkLeft_ = 0;
    int sizeDigits_ = 0;

    std::string start_;
    bool startKnown_ = false;
};
