#pragma once
// What the download manager asks of the main window and the detection
// manager. Each has a harmless default, so the manager runs (and is tested)
// before those parts exist.
#include <cstddef>
#include <string>

class InfoVideo;

class IFlvDownloadObserver {
public:
    virtual ~IFlvDownloadObserver() = default;

    // Whether the main player window exists; without it downloads are not
    // followed up and the background step rests.
    virtual bool HasMainWindow() const { return true; }
    // Detection manager: whether it has nothing to do, and starting one.
    virtual bool IsDetectionIdle() const { return true; }
    virtual void StartBackgroundDetection(InfoVideo& /*video*/) {}
    // Tells the detection service that a stream URL led nowhere.
    virtual void SendDetectionReport(const std::string& /*pageKey*/, const std::string& /*a*/,
                                     const std::string& /*b*/) {}
    // Shows the string-table message stringId in the player's status line,
    // with the video's site name filled in as the player does when it
    // connects.
    virtual void ShowStateMessage(int /*stringId*/, const InfoVideo& /*video*/) {}
    // An HLS or DASH video's fetches are over and `missing` of its `count` segments
    // never arrived: the video is incomplete and the user is told so.
    virtual void ReportMissingSegments(const InfoVideo& /*video*/, std::size_t /*missing*/, std::size_t /*count*/) {}
    // A stream address taken for a plain video answered with an HLS
    // playlist or a DASH manifest: the video now plays from segments, and a
    // player showing it must start it again that way.
    virtual void StreamIsManifest(const InfoVideo& /*video*/) {}
    // A download ended: refresh the playing video's size and duration.
    virtual void RefreshPlayingSizeAndDuration() {}
};
