#pragma once
// Timers of the user interface that share one system timer: each has an
// interval and a callback, and fires when the time since its last firing
// is positive and not less than its interval. One 10 ms system timer runs
// while any of them is started. User-interface thread only.
#include <chrono>
#include <functional>

class FCController_Timer {
public:
    static constexpr unsigned kUnsetInterval = 65535;
    static constexpr unsigned kPeriodMs = 10;

    explicit FCController_Timer(std::function<void()> callback);
    ~FCController_Timer();
    FCController_Timer(const FCController_Timer&) = delete;
    FCController_Timer& operator=(const FCController_Timer&) = delete;

    void SetInterval(unsigned intervalMs) { intervalMs_ = intervalMs; }
    unsigned Interval() const { return intervalMs_; }
    // Starting a started timer does nothing; starting records the time.
    void Start();
    void Stop();
    bool IsStarted() const { return started_; }

    // One period of the shared timer (the system timer calls it).
    static void RunPeriod();
    // How many timers are started, for tests.
    static std::size_t StartedCount();

private:
    void Check(std::chrono::steady_clock::time_point now);

    std::function<void()> callback_;
    unsigned intervalMs_ = kUnsetInterval;
    bool started_ = false;
    std::chrono::steady_clock::time_point lastFired_;
};
