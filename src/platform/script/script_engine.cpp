#include "platform/script/script_engine.h"

#include <QJSEngine>
#include <QJSValue>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

struct ScriptEngine::Impl {
    std::unique_ptr<QJSEngine> engine = std::make_unique<QJSEngine>();
};

ScriptEngine::ScriptEngine() : impl_(std::make_unique<Impl>()) {}

ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::Reset()
{
    impl_->engine = std::make_unique<QJSEngine>();
}

bool ScriptEngine::AddCode(const std::string& code, std::chrono::milliseconds limit)
{
    QJSEngine& engine = *impl_->engine;
    engine.setInterrupted(false);
    // A watchdog interrupts the engine at the limit; it is woken as soon as
    // the code has ended.
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool interrupted = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!ended.wait_for(lock, limit, [&] { return done; })) {
            interrupted = true;
            engine.setInterrupted(true);
        }
    });
    const QJSValue result = engine.evaluate(QString::fromStdString(code));
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_all();
    watchdog.join();
    const bool failed = interrupted || result.isError() || engine.hasError();
    if (engine.hasError())
        engine.catchError();
    engine.setInterrupted(false);
    return !failed;
}

std::optional<std::string> ScriptEngine::GlobalString(const std::string& name) const
{
    const QJSValue value = impl_->engine->globalObject().property(QString::fromStdString(name));
    if (!value.isString())
        return std::nullopt;
    return value.toString().toStdString();
}

}  // namespace platform
