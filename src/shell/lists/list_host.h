#pragma once
// What the side-panel lists ask of the window that holds them. The main
// window implements it; the lists know nothing else of it, and tests stand
// in for it.
#include "delivery/hls_status.h"

#include <string>
#include <vector>

class InfoVideo;

class IListHost {
public:
    virtual ~IListHost() = default;

    // Requests about play-list videos by key. The main window handles them
    // after the current input (they are posted), so a list may be rebuilt
    // in between: they carry keys, never items.
    virtual void PlayKey(const std::string& key) = 0;
    virtual void PreviewKey(const std::string& key) = 0;
    virtual void SaveKeys(const std::vector<std::string>& keys) = 0;
    // Stops, closes and deletes what belongs to the key.
    virtual void RemoveKey(const std::string& key) = 0;
    // Puts the text into the search box and starts the search.
    virtual void SearchText(const std::string& text) = 0;

    // Plays a video by its page key and title (a history entry).
    virtual void PlayVideo(const std::string& title, const std::string& key) = 0;
    // Plays a file (a favorite's kept copy).
    virtual void PlayFile(const std::string& path) = 0;
    // The save dialog for one whole file.
    virtual void SaveFile(const std::string& path, const std::string& title) = 0;
    // Yes (true) or No to a warning.
    virtual bool Confirm(const std::string& question) = 0;
    virtual void ShowStatus(const std::string& text) = 0;

    // The download figures of the play list's tips: a video's speed in
    // bytes per second, and how many downloads run.
    virtual int DownloadSpeed(const InfoVideo& video) = 0;
    virtual int RunningDownloads() = 0;
    // What the cache holds of an HLS video (not known for other videos).
    virtual HlsStatus HlsCache(const InfoVideo& video) = 0;
};
