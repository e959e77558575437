#pragma once
// Windows on the Qt event loop: a handle, a virtual window procedure,
// timers by id, and sends and posts that reach the procedure on the thread
// that created the window.
#include "platform/window_types.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

namespace platform {

class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Gives the window a handle owned by the calling thread, which must run
    // (or later run) a Qt event loop to receive posts, timers and sends from
    // other threads. Returns false when the window already exists.
    bool Create();
    // Calls OnDestroy, kills the timers and retires the handle. Safe to call
    // twice; the destructor calls it too (without the virtual hook).
    void Destroy();

    HWND GetSafeHwnd() const { return hwnd_; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // WM_TIMER(id) reaches WindowProc every elapse; setting an existing id
    // restarts it. Only the owner thread may set or kill timers, and it must
    // be a thread that Qt started (the user-interface thread or a QThread).
    UINT_PTR SetTimer(UINT_PTR id, unsigned elapseMs);
    bool KillTimer(UINT_PTR id);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Hooks around the handle's life: after Create, before Destroy.
    virtual void OnCreate() {}
    virtual void OnDestroy() {}

private:
    friend LRESULT DispatchToWindow(HWND, UINT, WPARAM, LPARAM);
    void DestroyHandle();

    HWND hwnd_ = 0;
    struct TimerSet;
    std::unique_ptr<TimerSet> timers_;
};

// Runs the message on the window's owner thread and returns its result. On
// the owner thread it is a direct call; from another thread the caller
// blocks until the owner thread has handled it (and meanwhile handles the
// messages sent to its own thread). A window that does not exist, or is
// destroyed before the message is handled, gives 0.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message for the owner thread; posts to one window keep their
// order. False when the window does not exist.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
bool IsWindow(HWND hwnd);
// Destroys the window from its owner thread (OnDestroy included).
bool DestroyWindow(HWND hwnd);
// The same name always gives the same number, from any thread; numbers lie
// in 0xC000..0xFFFF like the system's registered messages.
UINT RegisterWindowMessage(std::string_view name);

// Handles the messages other threads have sent to the calling thread's
// windows. Threads that wait for a worker which may be sending to them call
// this, or WaitWhileDispatching, so that neither side blocks the other.
void DispatchSentMessages();
// Waits until done() is true or the timeout ends, handling sent messages
// meanwhile. Returns done().
bool WaitWhileDispatching(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace platform

using CWnd = platform::Window;
