#pragma once
// The connectivity watch: a worker thread waits until a host name can be
// resolved (first try 2 s after the start, then every 2 s, each of the
// portal names in turn), then hands that over once to the user-interface
// thread, where OnNetworkReady runs. Destroying the watch stops the worker
// within about 2 s: name lookups are bounded in time, and a worker that
// still hangs in one is left to end on its own, touching nothing of the
// program any more.
#include "shell/net/merge_thread.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// Whether the name resolves within limitMs; a lookup that takes longer is
// abandoned (it ends on a thread of its own).
bool ResolveWithin(const std::string& host, int limitMs);

class TOLSafeThread {
public:
    static constexpr int kStopWaitMs = 2000;
    TOLSafeThread();
    virtual ~TOLSafeThread();

protected:
    // What a worker shares with its owner: it outlives the owner when the
    // worker is abandoned.
    struct Shared {
        std::atomic<int> stop{0};
        std::atomic<int> running{0};
    };
    std::shared_ptr<Shared> shared_;
};

class TOLConnectNetState : public TCLMergeThread, public TOLSafeThread {
public:
    struct Timing {
        int firstDelayMs = 2000;
        int periodMs = 2000;
        int lookupLimitMs = 2000;
    };
    // Resolves a name within a time; tests put in their own.
    using Resolver = bool (*)(const std::string& host, int limitMs);

    TOLConnectNetState();
    ~TOLConnectNetState() override;
    // Starts the worker for these host names.
    void StartWatch(std::vector<std::string> hosts, Timing timing, Resolver resolver);
    void StartWatch(std::vector<std::string> hosts) { StartWatch(std::move(hosts), Timing{}, &ResolveWithin); }

    void handle(I_MessageData* data) override;
    virtual void OnNetworkReady() {}

    struct TOLConnectStateData : I_MessageData {
        int state = 0;  // 1: the network is reachable
    };
};

