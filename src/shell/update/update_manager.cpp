#include "shell/update/update_manager.h"

#include "common/ascii_text.h"
#include "common/ids/message_ids.h"
#include "shell/stats/ini_file.h"

#include <QCryptographicHash>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

namespace {

constexpr int kBufferSize = 8192;

std::string FileDigest(const std::string& path, QCryptographicHash::Algorithm algorithm)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(algorithm);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex().toStdString();
}

// Whether the file's digests are the announced ones; hex digits of either
// case name the same digest. Runs on the digest worker.
bool DigestsMatch(const std::string& path, const std::string& md5, const std::string& sha256)
{
    if (!EqualsIgnoringCase(FileDigest(path, QCryptographicHash::Md5), md5))
        return false;
    return sha256.empty() || EqualsIgnoringCase(FileDigest(path, QCryptographicHash::Sha256), sha256);
}

std::string PartPath(const std::string& setup)
{
    return setup + ".part";
}

}  // namespace

CUpdateManager::CUpdateManager(std::string configUrl, std::string programFolder, Hooks hooks)
    : configUrl_(std::move(configUrl)), folder_(std::move(programFolder)), hooks_(std::move(hooks))
{
    Create();
}

CUpdateManager::~CUpdateManager()
{
    StopAllTasks();
    std::remove(PartPath(GetSetupPath()).c_str());
}

void CUpdateManager::StartCheck(int delayMs)
{
    AddTask(configUrl_, 0, kConfigLimit, true, {}, {}, kBufferSize, delayMs);
}

void CUpdateManager::DownloadSetup(const std::string& url, int delayMs)
{
    std::remove(PartPath(GetSetupPath()).c_str());
    AddTask(url, 0, -1, false, md5_, {}, kBufferSize, delayMs);
}

// The setup program goes to disk block by block, readable by its owner only.
void CUpdateManager::OnTaskReceive(HttpTask* task, const char* data, int count, int)
{
    if (task->url == configUrl_)
        return;
    const int fd = ::open(PartPath(GetSetupPath()).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, data, static_cast<std::size_t>(count));
    ::close(fd);
}

void CUpdateManager::OnTaskFinish(HttpTask* task, bool success)
{
    task->running.exchange(0);
    if (task->url == configUrl_)
        OnConfigLoaded(task, success);
    else
        OnSetupLoaded(task, success);
}

// A setup file may be large: hashing it on this thread would freeze the
// window. The worker uses only its own copies and reaches the manager by
// its handle, so a manager destroyed meanwhile just never gets the verdict.
void CUpdateManager::CheckDigests(const std::string& path, DigestsOf what, const std::string& setupUrl)
{
    const auto check = ++digestCheck_;
    digestsOf_ = what;
    setupUrl_ = setupUrl;
    const HWND window = GetSafeHwnd();
    try {
        std::thread([window, check, path, md5 = md5_, sha256 = sha256_] {
            platform::PostMessage(window, WM_UPDATE_DIGESTS_CHECKED, DigestsMatch(path, md5, sha256) ? 1 : 0,
                                  static_cast<LPARAM>(check));
        }).detach();
    } catch (const std::system_error&) {
        platform::PostMessage(window, WM_UPDATE_DIGESTS_CHECKED, 0, static_cast<LPARAM>(check));
    }
}

LRESULT CUpdateManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_UPDATE_DIGESTS_CHECKED) {
        if (static_cast<std::uint64_t>(lParam) == digestCheck_)
            OnDigestsChecked(wParam != 0);
        return 0;
    }
    return FCHttpTaskManager<CWnd>::WindowProc(msg, wParam, lParam);
}

void CUpdateManager::OnDigestsChecked(bool match)
{
    std::error_code error;
    if (digestsOf_ == DigestsOf::ExistingSetup) {
        const std::string setup = GetSetupPath();
        if (!match)
            std::remove(setup.c_str());
        if (std::filesystem::exists(setup, error))
            AskAndRunUpdater();
        else
            DownloadSetup(setupUrl_, 0);
        return;
    }
    if (match) {
        std::filesystem::rename(PartPath(GetSetupPath()), GetSetupPath(), error);
        if (!error) {
            AskAndRunUpdater();
            return;
        }
    }
    DownloadSetup(setupUrl_, retryMs_);
}

void CUpdateManager::OnConfigLoaded(HttpTask* task, bool success)
{
    const std::string body = task->body ? *task->body : std::string();
    if (!success || body.empty()) {
        StartCheck(retryMs_);
        return;
    }
    const std::string version = IniValue(body, "info", "ver");
    md5_ = IniValue(body, "info", "md5");
    sha256_ = IniValue(body, "info", "sha256");
    const std::string setupUrl = IniValue(body, "info", "setup_url");
    if (version.empty() || md5_.empty() || setupUrl.empty()) {
        StartCheck(retryMs_);
        return;
    }
    const std::string installed = IniFileValue(folder_ + "update_config.x", "info", "ver");
    const std::string setup = GetSetupPath();
    if (version == installed) {
        // What is left of the last update goes.
        std::remove(setup.c_str());
        return;
    }
    std::error_code error;
    if (std::filesystem::exists(setup, error))
        CheckDigests(setup, DigestsOf::ExistingSetup, setupUrl);
    else
        DownloadSetup(setupUrl, 0);
}

void CUpdateManager::OnSetupLoaded(HttpTask* task, bool success)
{
    const std::string part = PartPath(GetSetupPath());
    std::error_code error;
    const bool whole = success && std::filesystem::file_size(part, error) > 0 && !error;
    if (whole)
        CheckDigests(part, DigestsOf::DownloadedPart, task->url);
    else
        DownloadSetup(task->url, retryMs_);
}

void CUpdateManager::AskAndRunUpdater()
{
    if (asked_)
        return;
    asked_ = true;
    if (!hooks_.askToUpdate || !hooks_.askToUpdate())
        return;
    if (platformMajor_ > 5 && hooks_.showUpdaterNote)
        hooks_.showUpdaterNote();
    if (hooks_.exitProgram)
        hooks_.exitProgram();
    if (hooks_.startUpdater)
        hooks_.startUpdater(GetUpdaterPath(), std::to_string(::getpid()));
}
