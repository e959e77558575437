#include "platform/window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace platform {

LRESULT DispatchToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

struct ThreadState;

// A message sent across threads; `result` and `done` are written by the
// owner thread under the sender's mutex.
struct SentMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<ThreadState> sender;
    LRESULT result = 0;
    bool done = false;
};

// What other threads need to reach one thread: its queue of sent messages
// and the object that lives in its event loop.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable wake;  // a send arrived, or one of ours finished
    std::deque<std::shared_ptr<SentMessage>> incoming;
    QObject* receiver = nullptr;
    bool closed = false;
    bool wakePosted = false;
};

const QEvent::Type kPostedEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kSendsEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessageEvent : QEvent {
    PostedMessageEvent(HWND h, UINT m, WPARAM w, LPARAM l)
        : QEvent(kPostedEvent), hwnd(h), msg(m), wParam(w), lParam(l) {}
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == kPostedEvent) {
            auto* p = static_cast<PostedMessageEvent*>(e);
            DispatchToWindow(p->hwnd, p->msg, p->wParam, p->lParam);
            return true;
        }
        if (e->type() == kSendsEvent) {
            DispatchSentMessages();
            return true;
        }
        return QObject::event(e);
    }
};

void Complete(const std::shared_ptr<SentMessage>& m, LRESULT result)
{
    std::lock_guard lock(m->sender->mutex);
    m->result = result;
    m->done = true;
    m->sender->wake.notify_all();
}

// Closes the thread's queue when the thread ends, so that senders never
// wait on a thread that is gone.
struct ThreadHolder {
    std::shared_ptr<ThreadState> state = std::make_shared<ThreadState>();
    ~ThreadHolder()
    {
        std::deque<std::shared_ptr<SentMessage>> pending;
        QObject* receiver = nullptr;
        {
            std::lock_guard lock(state->mutex);
            state->closed = true;
            pending.swap(state->incoming);
            std::swap(receiver, state->receiver);
        }
        for (auto& m : pending)
            Complete(m, 0);
        delete receiver;
    }
};

std::shared_ptr<ThreadState> CurrentThreadState()
{
    thread_local ThreadHolder holder;
    return holder.state;
}

struct WindowEntry {
    Window* window;
    std::thread::id owner;
    std::shared_ptr<ThreadState> ownerState;
};

std::mutex g_registryMutex;
std::unordered_map<HWND, WindowEntry>& Registry()
{
    static std::unordered_map<HWND, WindowEntry> registry;
    return registry;
}
std::atomic<HWND> g_nextHandle{0x10000};

bool FindWindow(HWND hwnd, WindowEntry& out)
{
    std::lock_guard lock(g_registryMutex);
    auto it = Registry().find(hwnd);
    if (it == Registry().end())
        return false;
    out = it->second;
    return true;
}

}  // namespace

// Runs the window procedure if the window still exists and belongs to the
// calling thread; only the owner thread destroys a window, so the pointer
// stays valid during the call.
LRESULT DispatchToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowEntry entry;
    if (!FindWindow(hwnd, entry) || entry.owner != std::this_thread::get_id())
        return 0;
    return entry.window->WindowProc(msg, wParam, lParam);
}

struct Window::TimerSet {
    std::map<UINT_PTR, QTimer*> timers;
};

Window::Window() : timers_(std::make_unique<TimerSet>()) {}

Window::~Window()
{
    DestroyHandle();
}

bool Window::Create()
{
    if (hwnd_)
        return false;
    auto state = CurrentThreadState();
    {
        std::lock_guard lock(state->mutex);
        if (!state->receiver)
            state->receiver = new Receiver;
    }
    hwnd_ = g_nextHandle.fetch_add(1);
    {
        std::lock_guard lock(g_registryMutex);
        Registry()[hwnd_] = WindowEntry{this, std::this_thread::get_id(), state};
    }
    OnCreate();
    return true;
}

void Window::Destroy()
{
    if (!hwnd_)
        return;
    OnDestroy();
    DestroyHandle();
}

void Window::DestroyHandle()
{
    if (!hwnd_)
        return;
    for (auto& [id, timer] : timers_->timers) {
        timer->stop();
        timer->deleteLater();
    }
    timers_->timers.clear();
    std::lock_guard lock(g_registryMutex);
    Registry().erase(hwnd_);
    hwnd_ = 0;
}

LRESULT Window::WindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT Window::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return platform::SendMessage(hwnd_, msg, wParam, lParam);
}

bool Window::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return platform::PostMessage(hwnd_, msg, wParam, lParam);
}

UINT_PTR Window::SetTimer(UINT_PTR id, unsigned elapseMs)
{
    WindowEntry entry;
    if (!FindWindow(hwnd_, entry) || entry.owner != std::this_thread::get_id())
        return 0;
    QTimer*& timer = timers_->timers[id];
    if (!timer) {
        timer = new QTimer;
        const HWND hwnd = hwnd_;
        QObject::connect(timer, &QTimer::timeout, [hwnd, id] { DispatchToWindow(hwnd, WM_TIMER, id, 0); });
    }
    timer->start(static_cast<int>(elapseMs));
    return id;
}

bool Window::KillTimer(UINT_PTR id)
{
    auto it = timers_->timers.find(id);
    if (it == timers_->timers.end())
        return false;
    // The timer may be the one whose timeout is running right now.
    it->second->stop();
    it->second->deleteLater();
    timers_->timers.erase(it);
    return true;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowEntry entry;
    if (!FindWindow(hwnd, entry))
        return 0;
    if (entry.owner == std::this_thread::get_id())
        return DispatchToWindow(hwnd, msg, wParam, lParam);

    auto self = CurrentThreadState();
    auto m = std::make_shared<SentMessage>(SentMessage{hwnd, msg, wParam, lParam, self});
    {
        auto& owner = *entry.ownerState;
        std::lock_guard lock(owner.mutex);
        if (owner.closed || !owner.receiver)
            return 0;
        owner.incoming.push_back(m);
        if (!owner.wakePosted) {
            owner.wakePosted = true;
            QCoreApplication::postEvent(owner.receiver, new QEvent(kSendsEvent));
        }
        owner.wake.notify_all();
    }
    for (;;) {
        {
            std::unique_lock lock(self->mutex);
            self->wake.wait(lock, [&] { return m->done || !self->incoming.empty(); });
            if (m->done)
                return m->result;
        }
        DispatchSentMessages();
    }
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowEntry entry;
    if (!FindWindow(hwnd, entry))
        return false;
    auto& owner = *entry.ownerState;
    std::lock_guard lock(owner.mutex);
    if (owner.closed || !owner.receiver)
        return false;
    QCoreApplication::postEvent(owner.receiver, new PostedMessageEvent(hwnd, msg, wParam, lParam));
    return true;
}

bool IsWindow(HWND hwnd)
{
    WindowEntry entry;
    return hwnd && FindWindow(hwnd, entry);
}

bool DestroyWindow(HWND hwnd)
{
    WindowEntry entry;
    if (!FindWindow(hwnd, entry) || entry.owner != std::this_thread::get_id())
        return false;
    entry.window->Destroy();
    return true;
}

UINT RegisterWindowMessage(std::string_view name)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, UINT> numbers;
    std::lock_guard lock(mutex);
    auto [it, added] = numbers.try_emplace(std::string(name), 0);
    if (added)
        it->second = static_cast<UINT>(0xC000 + numbers.size() - 1);
    return it->second;
}

void DispatchSentMessages()
{
    auto self = CurrentThreadState();
    for (;;) {
        std::shared_ptr<SentMessage> m;
        {
            std::lock_guard lock(self->mutex);
            if (self->incoming.empty()) {
                self->wakePosted = false;
                return;
            }
            m = std::move(self->incoming.front());
            self->incoming.pop_front();
        }
        Complete(m, DispatchToWindow(m->hwnd, m->msg, m->wParam, m->lParam));
    }
}

bool WaitWhileDispatching(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    // done() may turn true without any message (a thread that ends), so the
    // wait wakes up now and then to look.
    constexpr auto kPoll = std::chrono::milliseconds(2);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto self = CurrentThreadState();
    for (;;) {
        DispatchSentMessages();
        if (done())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::unique_lock lock(self->mutex);
        self->wake.wait_for(lock, std::min<std::chrono::steady_clock::duration>(kPoll, deadline - now),
                            [&] { return !self->incoming.empty(); });
    }
}

}  // namespace platform
