#include "shell/settings/setting_autosave.h"

#include "shell/settings/app_setting.h"
#include "common/atomic_file.h"

#include <cstdio>

namespace {
constexpr UINT_PTR kTimerId = 1;
}

CSettingAutoSave::CSettingAutoSave(const CAppSetting& settings, std::string path, unsigned periodMs)
    : settings_(settings), path_(std::move(path)), lastWritten_(settings.ToXml())
{
    Create();
    SetTimer(kTimerId, periodMs);
}

CSettingAutoSave::~CSettingAutoSave() = default;

void CSettingAutoSave::SaveIfChanged()
{
    std::string text = settings_.ToXml();
    if (text == lastWritten_)
        return;
    const FileWriteResult result = ReplaceFileAtomically(path_, text);
    if (!result.ok) {
        // Tried again at the next tick; the old file stays whole meanwhile.
        std::fprintf(stderr, "quelt: settings not saved: %s\n", result.error.c_str());
        return;
    }
    lastWritten_ = std::move(text);
}

LRESULT CSettingAutoSave::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kTimerId) {
        SaveIfChanged();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
