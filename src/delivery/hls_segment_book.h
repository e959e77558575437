#pragma once
// The account of one HLS stream's segments: which are cached, which are
// being fetched, which the origin never served. A stream is complete only
// when every segment arrived; a failed fetch is tried again up to
// kMaxAttempts times before the segment counts as missing. The fetch order
// follows the player: a segment it asks for comes next, then the ones after
// it. No Qt, no I/O.
#include <cstddef>
#include <vector>

class HlsSegmentBook {
public:
    enum class State { Pending, Fetching, Done, Missing };
    static constexpr int kMaxAttempts = 3;

    explicit HlsSegmentBook(std::size_t count = 0) : entries_(count) {}

    std::size_t Count() const { return entries_.size(); }
    State StateOf(std::size_t index) const { return entries_.at(index).state; }
    std::size_t DoneCount() const { return Counted(State::Done); }
    std::size_t MissingCount() const { return Counted(State::Missing); }
    // Every segment arrived.
    bool IsComplete() const { return !entries_.empty() && DoneCount() == entries_.size(); }
    // Nothing is left to fetch or being fetched (complete, or some missing).
    bool IsSettled() const { return Counted(State::Pending) == 0 && Counted(State::Fetching) == 0; }

    // The segment is in the cache (found there, or just fetched whole).
    void MarkDone(std::size_t index);
    // The player waits for this segment: fetch it before the others.
    void Want(std::size_t index);
    // The segment to fetch next, or -1 when none is pending.
    int NextToFetch() const;
    void StartFetch(std::size_t index);
    // A fetch that did not bring the whole segment (an error status, a
    // transfer cut short). True when it will be tried again, false when it
    // is missing now.
    bool FetchFailed(std::size_t index);
    // A live stream's list grew: `count` more segments, pending, at the end.
    void Grow(std::size_t count);
    // A live segment that slid out of the site's window before it was
    // fetched can no longer be had: a pending one counts as missing.
    void GiveUp(std::size_t index);
    // A fetch stopped by the program (the user went elsewhere): pending
    // again, no attempt counted.
    void FetchStopped(std::size_t index);

private:
    struct Entry {
        State state = State::Pending;
        int attempts = 0;
    };
    std::size_t Counted(State state) const;

    std::vector<Entry> entries_;
    std::size_t cursor_ = 0;  // where the sequential order goes on (past the end: the first)
};
