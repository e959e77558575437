#pragma once
// FLVs whose codecs the player page cannot decode (Sorenson Spark, On2 VP6,
// Nellymoser audio) are played through ffmpeg: it reads the video's own
// play URL and writes an FLV with H.264 and AAC, which the play server
// streams to the page under a key of its own while it grows. One
// conversion at a time per player (the main window has one for its player
// and one for the preview), started for such a video and ended with it.
#include "shell/player/play_source_router.h"

#include <cstdint>
#include <memory>
#include <string>

class CPlayRequestManager;
class QProcess;

class CFlvTranscoder : public IOwnStream {
public:
    explicit CFlvTranscoder(CPlayRequestManager& server);
    ~CFlvTranscoder() override;

    // Starts converting the source without waiting for ffmpeg; the play URL
    // of the result, or empty when there is no ffmpeg. A start that fails
    // later ends the result empty.
    std::string Start(const std::string& sourceUrl);
    // Ends the conversion and removes its file; ffmpeg is killed and reaped
    // through the event loop, never waited for.
    void Stop();
    bool IsRunning() const;

    bool ServesKey(const std::string& key) const override;
    void ServeRequest(CPlayRequest& request) override;

    // Removes the files that conversions of processes no longer running
    // left in the folder (a program killed while it converted).
    static void SweepLeftovers(const std::string& folder);

    // ffmpeg's arguments for a source URL (an argument vector: no shell).
    static std::vector<std::string> Arguments(const std::string& sourceUrl);

private:
    void OnOutput();
    void OnFinished();

    CPlayRequestManager& server_;
    std::unique_ptr<QProcess> process_;
    std::string key_;
    std::string path_;
    bool complete_ = false;
};
