#pragma once
// The update check: fetches the configuration ("info": "ver", "md5",
// "setup_url", optionally "sha256"), compares its version with the
// installed one ("update_config.x"), downloads the setup program into the
// program folder as "update_setup" (streamed to disk, owner-only, through
// ".part" and a rename, never run by Quelt itself) until its digests match,
// and then asks once whether to update: Yes ends the program and starts the
// external updater "AutoUpdate" with the process id. Failures are retried
// after 60 s without a message. User-interface thread only; the digests are
// computed on a worker thread of their own, whose verdict comes back as a
// posted WM_UPDATE_DIGESTS_CHECKED.
#include "delivery/http_task_manager.h"

#include <cstdint>
#include <functional>
#include <string>

class CUpdateManager : public FCHttpTaskManager<CWnd> {
public:
    static constexpr int kRetryMs = 60000;
    // The configuration is small; more than this is not read.
    static constexpr std::int64_t kConfigLimit = 1 << 20;

    struct Hooks {
        // Asks with string 30015; true for Yes.
        std::function<bool()> askToUpdate;
        // Shows string 30100.
        std::function<void()> showUpdaterNote;
        // Posts the Exit command to the main window.
        std::function<void()> exitProgram;
        // Starts the updater with the process id.
        std::function<void(const std::string& updater, const std::string& pid)> startUpdater;
    };

    CUpdateManager(std::string configUrl, std::string programFolder, Hooks hooks);
    ~CUpdateManager() override;

    void StartCheck(int delayMs);
    std::string GetConfigUrl() const { return configUrl_; }
    std::string GetUpdaterPath() const { return folder_ + "AutoUpdate"; }
    std::string GetSetupPath() const { return folder_ + "update_setup"; }
    void AskAndRunUpdater();

    // Tests shorten the retries; the program keeps kRetryMs. The platform's
    // major version decides the second note (Linux counts as 5: no desktop
    // asks before it runs the updater).
    void SetRetryDelay(int ms) { retryMs_ = ms; }
    void SetPlatformMajorVersion(int version) { platformMajor_ = version; }

protected:
    void OnTaskReceive(HttpTask* task, const char* data, int count, int elapsedMs) override;
    void OnTaskFinish(HttpTask* task, bool success) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnConfigLoaded(HttpTask* task, bool success);
    void OnSetupLoaded(HttpTask* task, bool success);
    void DownloadSetup(const std::string& url, int delayMs);
    // What the digest verdict decides: keep the setup already there, or
    // take the downloaded part.
    enum class DigestsOf { ExistingSetup, DownloadedPart };
    // Hashes the file on a worker thread; OnDigestsChecked takes the verdict.
    void CheckDigests(const std::string& path, DigestsOf what, const std::string& setupUrl);
    void OnDigestsChecked(bool match);

    std::string configUrl_;
    std::string folder_;
    Hooks hooks_;
    int retryMs_ = kRetryMs;
    int platformMajor_ = 5;
    bool asked_ = false;
    std::string md5_;
    std::string sha256_;
    // The check whose verdict is awaited (an older one is ignored), what it
    // is about and the setup's address for the download that may follow.
    std::uint64_t digestCheck_ = 0;
    DigestsOf digestsOf_ = DigestsOf::ExistingSetup;
    std::string setupUrl_;
};
