#pragma once
// What the download manager reads of the program's settings: the play list
// it caches, the videos on screen, and the background-caching preferences.
// The settings store implements it; delivery never sees the store itself.
#include "common/composite.h"

#include <string>

class InfoVideo;

class IDownloadSettings {
public:
    virtual ~IDownloadSettings() = default;
    virtual PCL_Interface_Composite<InfoVideo>& PlayList() = 0;
    // Keys of the videos in the player and the preview window; empty when none.
    virtual std::string PlayingKey() const = 0;
    virtual std::string PreviewingKey() const = 0;
    virtual bool IsBackgroundCachingOn() const = 0;
    // As stored; the manager keeps it within 1 to 3.
    virtual int MaxBackgroundDownloads() const = 0;
};
