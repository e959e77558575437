#pragma once
// The interception proxy's view of an answer as the server sends it: the
// head, held back until it is whole and refused past a size limit, then the
// body, whose first bytes the detection is shown. No I/O: the proxy feeds
// it what it reads and sends on what it gives back.
#include <cstddef>
#include <string>

class ProxiedAnswer {
public:
    // A HEAD request's answer has no body, whatever its head says.
    ProxiedAnswer(bool headRequest, std::size_t maxHead);

    enum class State {
        Head,       // the head is still arriving
        Body,       // the head went on; body bytes pass as they come
        TooLarge,   // the head passed the limit (the client gets 502)
        Malformed,  // no HTTP answer head (the client gets 502)
    };
    // Takes the next bytes from the server; appends to forward what the
    // client may have now: nothing while a head arrives, the head once it
    // is whole, body bytes at once.
    State Take(const char* data, std::size_t size, std::string& forward);
    // The server closed: a body without a length ends here.
    void End();
    State GetState() const { return state_; }

    // True once BodyStart() holds the body's first bytes.
    bool StartKnown() const { return startKnown_; }
    const std::string& BodyStart() const { return start_; }

private:
    void TakeBody(const char* data, std::size_t size);

    bool headRequest_;
    std::size_t maxHead_;
    State state_ = State::Head;
    std::string head_;
    std::string start_;
    bool startKnown_ = false;
};
