#pragma once
// What quelt is asked to do by its one argument: a video file to play (in
// quotes or not), "uninstall", the address of a video page whose stream is
// to be found and played, or the address of a stream itself (ending in
// .flv or .mp4) to add to the play list and play.
#include <string>

struct StartRequest {
    std::string pendingKey;  // an existing file
    std::string streamUrl;   // an http(s) address of a .flv or .mp4 file
    std::string pageUrl;     // any other http(s) address: a page to detect
    bool uninstall = false;
};

StartRequest ParseCommandLine(std::string argument);

// The title a stream address gets in the play list: its file name.
std::string StreamTitle(const std::string& url);
