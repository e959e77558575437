#include "shell/net/connect_net_state.h"

#include <netdb.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Sleeps in small steps so that the stop flag is seen soon.
bool SleepUnlessStopped(const std::atomic<int>& stop, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (stop.load())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !stop.load();
}

}  // namespace

bool ResolveWithin(const std::string& host, int limitMs)
{
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool resolved = false;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        const bool ok = ::getaddrinfo(host.c_str(), nullptr, &hints, &result) == 0;
        if (result)
            ::freeaddrinfo(result);
        std::lock_guard lock(lookup->mutex);
        lookup->finished = true;
        lookup->resolved = ok;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    lookup->done.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return lookup->finished; });
    return lookup->finished && lookup->resolved;
}

TOLSafeThread::TOLSafeThread() : shared_(std::make_shared<Shared>()) {}

// Sets the stop flag and waits a while for the workers; one that does not
// end in time is abandoned with its shared state, which it still holds.
TOLSafeThread::~TOLSafeThread()
{
    shared_->stop.exchange(1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
    while (shared_->running.load() > 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TOLConnectNetState::TOLConnectNetState() = default;

// The window goes first, so that a result arriving now runs nothing of an
// object being destroyed; then the base waits for the worker.
TOLConnectNetState::~TOLConnectNetState()
{
    shared_->stop.exchange(1);
    CloseMergeWindow();
}

void TOLConnectNetState::StartWatch(std::vector<std::string> hosts, Timing timing, Resolver resolver)
{
    auto shared = shared_;
    const HWND window = GetMergeWindow();
    I_MessageHandle* handler = this;
    ++shared->running;
    std::thread([shared, window, handler, hosts = std::move(hosts), timing, resolver] {
        bool ready = false;
        bool first = true;
        while (!ready) {
            if (!SleepUnlessStopped(shared->stop, first ? timing.firstDelayMs : timing.periodMs))
                break;
            first = false;
            for (const std::string& host : hosts)
                if (!shared->stop.load() && resolver(host, timing.lookupLimitMs)) {
                    ready = true;
                    break;
                }
        }
        // The handler is only touched on the window's thread, and only while
        // the window (and so the watch) exists.
        if (ready && !shared->stop.load()) {
            auto* data = new TOLConnectStateData;
            data->state = 1;
            TCLMergeThread::SendToWindow(window, handler, data);
        }
        --shared->running;
    }).detach();
}

void TOLConnectNetState::handle(I_MessageData* data)
{
    if (const auto* state = dynamic_cast<TOLConnectStateData*>(data); state && state->state == 1)
        OnNetworkReady();
}
