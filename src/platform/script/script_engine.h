#pragma once
// A JavaScript engine for the sites' link scripts: code is run in a fresh
// global scope and the value of a global read back as text. A script that
// runs past its time limit is interrupted and counts as failed, so a
// downloaded script cannot hang the thread that runs it. No engine header
// leaks from here.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class ScriptEngine {
public:
    static constexpr std::chrono::milliseconds kDefaultLimit{2000};

    ScriptEngine();
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // A fresh engine: nothing of earlier code remains.
    void Reset();
    // Runs the code; false when it does not compile, throws, or is still
    // running at the limit (it is then interrupted).
    bool AddCode(const std::string& code, std::chrono::milliseconds limit = kDefaultLimit);
    // The global variable's value as text, when it holds a string; none for
    // a missing global or any other kind of value.
    std::optional<std::string> GlobalString(const std::string& name) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
