#include "delivery/hls_segment_book.h"

#include <algorithm>

std::size_t HlsSegmentBook::Counted(State state) const
{
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.state == state; }));
}

void HlsSegmentBook::MarkDone(std::size_t index)
{
    entries_.at(index).state = State::Done;
}

void HlsSegmentBook::Want(std::size_t index)
{
    if (index < entries_.size())
        cursor_ = index;
}

int HlsSegmentBook::NextToFetch() const
{
    const std::size_t count = entries_.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (cursor_ + step) % count;
        if (entries_[index].state == State::Pending)
            return static_cast<int>(index);
    }
    return -1;
}

void HlsSegmentBook::StartFetch(std::size_t index)
{
    Entry& entry = entries_.at(index);
    entry.state = State::Fetching;
    ++entry.attempts;
    // Past the last one the order wraps to the first, unless the list grows
    // first: a live stream's newest segments then come next.
    cursor_ = index + 1;
}

void HlsSegmentBook::Grow(std::size_t count)
{
    entries_.resize(entries_.size() + count);
}

void HlsSegmentBook::GiveUp(std::size_t index)
{
    Entry& entry = entries_.at(index);
    if (entry.state == State::Pending)
        entry.state = State::Missing;
}

bool HlsSegmentBook::FetchFailed(std::size_t index)
{
    Entry& entry = entries_.at(index);
    entry.state = entry.attempts < kMaxAttempts ? State::Pending : State::Missing;
    return entry.state == State::Pending;
}

void HlsSegmentBook::FetchStopped(std::size_t index)
{
    Entry& entry = entries_.at(index);
    if (entry.state == State::Fetching) {
        entry.state = State::Pending;
        --entry.attempts;
    }
}
