#pragma once
// Writes "setting.xml" a short while after the settings change, so that a
// crash or a kill loses at most that while of the play list, history and
// favorites. Checks on a timer whether the text Save would write differs
// from the last one handed on; the text is made on the user-interface
// thread, and written (atomically, synced to the disk, which may take a
// while) by a writer thread of its own. A write that fails is tried again
// at the next tick.
#include "platform/window.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class CAppSetting;

class CSettingAutoSave : public CWnd {
public:
    static constexpr unsigned kPeriodMs = 2000;

    // Takes the settings as they are now as already saved.
    CSettingAutoSave(const CAppSetting& settings, std::string path, unsigned periodMs = kPeriodMs);
    // Finishes a write under way; a text not yet written is dropped, as the
    // program saves the settings itself at its end.
    ~CSettingAutoSave() override;

    // Hands the settings to the writer when they differ from what was last
    // handed on.
    void SaveIfChanged();
    // Waits until the writer has nothing left: what was handed on is
    // written (or failed). Before the program's own last save.
    void Finish();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void WriteLoop();

    const CAppSetting& settings_;
    std::string path_;
    std::string lastHanded_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::string> pending_;  // the newest text not written yet
    bool writing_ = false;
    bool stopping_ = false;
    std::thread writer_;
};
