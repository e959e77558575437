#include "platform/controller_timer.h"

#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

std::vector<FCController_Timer*>& StartedTimers()
{
    static std::vector<FCController_Timer*> timers;
    return timers;
}

// The system timer exists while a controller timer is started.
std::unique_ptr<QTimer>& SystemTimer()
{
    static std::unique_ptr<QTimer> timer;
    return timer;
}

}  // namespace

FCController_Timer::FCController_Timer(std::function<void()> callback) : callback_(std::move(callback)) {}

FCController_Timer::~FCController_Timer()
{
    Stop();
}

void FCController_Timer::Start()
{
    if (started_)
        return;
    started_ = true;
    lastFired_ = std::chrono::steady_clock::now();
    StartedTimers().push_back(this);
    if (!SystemTimer()) {
        SystemTimer() = std::make_unique<QTimer>();
        SystemTimer()->setTimerType(Qt::PreciseTimer);
        QObject::connect(SystemTimer().get(), &QTimer::timeout, [] { RunPeriod(); });
        SystemTimer()->start(static_cast<int>(kPeriodMs));
    }
}

void FCController_Timer::Stop()
{
    if (!started_)
        return;
    started_ = false;
    auto& timers = StartedTimers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    if (timers.empty() && SystemTimer()) {
        // Not deleted here: Stop may run inside the timer's own signal.
        SystemTimer()->stop();
        SystemTimer().release()->deleteLater();
    }
}

void FCController_Timer::RunPeriod()
{
    const auto now = std::chrono::steady_clock::now();
    // A callback may start or stop timers (its own included): walk a copy
    // and skip any that has been stopped meanwhile.
    const std::vector<FCController_Timer*> timers = StartedTimers();
    for (FCController_Timer* timer : timers) {
        const auto& current = StartedTimers();
        if (std::find(current.begin(), current.end(), timer) != current.end())
            timer->Check(now);
    }
}

std::size_t FCController_Timer::StartedCount()
{
    return StartedTimers().size();
}

void FCController_Timer::Check(std::chrono::steady_clock::time_point now)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastFired_).count();
    if (elapsed <= 0) {
        lastFired_ = now;
        return;
    }
    if (elapsed < static_cast<long long>(intervalMs_))
        return;
    lastFired_ = now;
    if (callback_)
        callback_();
}
