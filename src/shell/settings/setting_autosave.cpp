#include "shell/settings/setting_autosave.h"

#include "shell/settings/app_setting.h"
#include "common/atomic_file.h"
#include "common/ids/message_ids.h"

#include <cstdio>

namespace {
constexpr UINT_PTR kTimerId = 1;
}

CSettingAutoSave::CSettingAutoSave(const CAppSetting& settings, std::string path, unsigned periodMs)
    : settings_(settings), path_(std::move(path)), lastHanded_(settings.ToXml())
{
    Create();
    writer_ = std::thread([this] { WriteLoop(); });
    SetTimer(kTimerId, periodMs);
}

CSettingAutoSave::~CSettingAutoSave()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    writer_.join();
}

void CSettingAutoSave::SaveIfChanged()
{
    std::string text = settings_.ToXml();
    if (text == lastHanded_)
        return;
    lastHanded_ = text;
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(text);  // an older text not written yet is outdated
    }
    wake_.notify_all();
}

void CSettingAutoSave::Finish()
{
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !writing_; });
}

void CSettingAutoSave::WriteLoop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || pending_; });
        if (stopping_)
            return;
        std::string text = std::move(*pending_);
        pending_.reset();
        writing_ = true;
        lock.unlock();
        const FileWriteResult result = ReplaceFileAtomically(path_, text);
        if (!result.ok) {
            // The old file stays whole meanwhile.
            std::fprintf(stderr, "quelt: settings not saved: %s\n", result.error.c_str());
            PostMessage(WM_SETTINGS_WRITE_FAILED);
        }
        lock.lock();
        writing_ = false;
        wake_.notify_all();
    }
}

LRESULT CSettingAutoSave::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kTimerId) {
        SaveIfChanged();
        return 0;
    }
    if (msg == WM_SETTINGS_WRITE_FAILED) {
        lastHanded_.clear();  // so the next tick hands the settings on again
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
