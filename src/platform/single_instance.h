#pragma once
// One running instance of the program per user and program folder: the
// first start listens on a local socket; a later start finds it there and
// hands its request over (bring the window to the front, play a file,
// exit). A socket left by a crashed instance is taken over.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class SingleInstance {
public:
    // Data tags of the hand-over.
    static constexpr std::uint32_t kTagActivate = 0x201;      // a left click on the tray icon
    static constexpr std::uint32_t kTagPlay = 0x11229900;     // play the path or key
    static constexpr std::uint32_t kTagTipPage = 0x765f5e76;  // show a tip page
    static constexpr std::uint32_t kTagExit = 20100;          // the Exit command

    using MessageHandler = std::function<void(std::uint32_t tag, const std::string& text)>;

    explicit SingleInstance(std::string name);
    ~SingleInstance();

    // Becomes the running instance; messages of later starts reach the
    // handler on this thread. False when another instance answers.
    bool BecomeInstance(MessageHandler handler);
    // Whether another instance answers now.
    bool IsAnotherRunning() const;
    // Hands one message to the running instance; false when none took it.
    bool SendToRunning(std::uint32_t tag, const std::string& text, int timeoutMs = 2000) const;
    // Waits until no instance answers any more, at most timeoutMs.
    bool WaitUntilGone(int timeoutMs) const;

    // A name for this user and program folder.
    static std::string NameFor(const std::string& programFolder);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
