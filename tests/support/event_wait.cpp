#include "support/event_wait.h"

#include "platform/window.h"

#include <QEventLoop>
#include <QTimer>

namespace test_support {

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        platform::DispatchSentMessages();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Runs events for a short slice; the slice ends early on nothing, but
        // a condition set by another thread without an event is seen too.
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

}  // namespace test_support
