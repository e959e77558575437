#pragma once
// What quelt is asked to do by its one argument: a video file to play (in
// quotes or not), "uninstall", or, for trying the program without a video
// site, the address of a video stream to add to the play list and play.
#include <string>

struct StartRequest {
    std::string pendingKey;  // an existing file
    std::string streamUrl;   // an http(s) address
    bool uninstall = false;
};

StartRequest ParseCommandLine(std::string argument);

// The title a stream address gets in the play list: its file name.
std::string StreamTitle(const std::string& url);
