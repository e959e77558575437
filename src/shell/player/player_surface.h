#pragma once
// What play control needs of the main window: the player page, the title,
// the status line and the other players. The window implements it; tests
// record the calls.
#include <string>

class InfoVideo;

class IPlayerSurface {
public:
    virtual ~IPlayerSurface() = default;
    // One call into the main player (600), as its name and one argument.
    virtual void CallPlayer(const std::string& name, const std::string& argument) = 0;
    // StopVideo, after closing the play request of the URL played last.
    virtual void StopPlayer() = 0;
    // PlayVideo of the URL, remembered as the URL played last.
    virtual void PlayInPlayer(const std::string& url) = 0;
    // Seek slider, time label and loaded share back to their start.
    virtual void ResetControls() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // A short tip near the mouse.
    virtual void ShowTip(const std::string& text) = 0;
    // The preview window: opened (or kept) for a new preview, its player
    // (601) given a URL, closed. OpenPreview is false when it cannot open.
    virtual bool OpenPreview() = 0;
    virtual void PlayInPreview(const std::string& url) = 0;
    virtual void ClosePreview() = 0;
};

// The names of the video sites the program knows (its speed information).
class ISiteNames {
public:
    virtual ~ISiteNames() = default;
    // The listed name of the site the address belongs to; empty when none.
    virtual std::string SiteNameOf(const std::string& url) const = 0;
};

// What play control needs of stream detection, which is built elsewhere.
class IStreamDetection {
public:
    virtual ~IStreamDetection() = default;
    virtual void StopDetection() {}
    // Ends the detection of one video (it is being removed).
    virtual void CancelDetection(const std::string& /*key*/) {}
    // Whether a detection for the main player is under way.
    virtual bool IsDetectingForPlayer() const { return false; }
    // Starts finding the stream of the video, which plays it when found;
    // false when detection is not available.
    virtual bool StartDetection(InfoVideo& /*video*/) { return false; }
};
