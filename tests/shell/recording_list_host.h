#pragma once
// Stands in for the main window as the lists' host: records what the lists
// ask of it. The key requests are kept as the message the main window would
// post to itself, with their keys.
#include "common/ids/message_ids.h"
#include "shell/lists/list_host.h"

#include "records/info_video.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

class RecordingListHost : public IListHost {
public:
    using Request = std::pair<UINT, std::vector<std::string>>;

    void PlayKey(const std::string& key) override { received.push_back({WM_PLAY_VIDEO_KEY, {key}}); }
    void PreviewKey(const std::string& key) override { received.push_back({WM_PREVIEW_VIDEO_KEY, {key}}); }
    void SaveKeys(const std::vector<std::string>& keys) override { received.push_back({WM_SAVE_VIDEO_KEY, keys}); }
    void RemoveKey(const std::string& key) override { received.push_back({WM_REMOVE_VIDEO_KEY, {key}}); }
    void SearchText(const std::string& text) override { searched.push_back(text); }
    void PlayVideo(const std::string& title, const std::string& key) override { played.push_back(title + "|" + key); }
    void PlayFile(const std::string& path) override { played.push_back(path); }
    void SaveFile(const std::string& path, const std::string& title) override { saved.push_back(path + "|" + title); }
    bool Confirm(const std::string& question) override
    {
        questions.push_back(question);
        return answer;
    }
    void ShowStatus(const std::string& text) override { status = text; }
    int DownloadSpeed(const InfoVideo&) override { return 0; }
    int RunningDownloads() override { return 0; }
    HlsStatus HlsCache(const InfoVideo& video) override;

    std::vector<Request> received;
    std::vector<std::string> searched, played, saved, questions;
    std::string status;
    bool answer = false;  // to Confirm
    std::map<std::string, HlsStatus> hls;  // HlsCache's answers by key
};

inline HlsStatus RecordingListHost::HlsCache(const InfoVideo& video)
{
    const auto it = hls.find(video.a2);
    return it == hls.end() ? HlsStatus{} : it->second;
}
