#pragma once
// Runs the calling thread's event loop until a condition holds, so that
// tests wait for what they expect instead of sleeping.
#include <chrono>
#include <functional>

namespace test_support {
bool RunEventsUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));
}
