#pragma once
// Writes "setting.xml" a short while after the settings change, so that a
// crash or a kill loses at most that while of the play list, history and
// favorites. Checks on a timer whether the text Save would write differs
// from the last one written; the save itself stays atomic. User-interface
// thread only.
#include "platform/window.h"

#include <string>

class CAppSetting;

class CSettingAutoSave : public CWnd {
public:
    static constexpr unsigned kPeriodMs = 2000;

    // Takes the settings as they are now as already saved.
    CSettingAutoSave(const CAppSetting& settings, std::string path, unsigned periodMs = kPeriodMs);
    ~CSettingAutoSave() override;

    // Saves when the settings differ from what was last written.
    void SaveIfChanged();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    const CAppSetting& settings_;
    std::string path_;
    std::string lastWritten_;
};
