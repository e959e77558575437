#pragma once
// What the terminal shows of the playing video, one line per event as it
// happens, so that a user at a terminal can follow a play:
//   quelt: looking up <page>
//   quelt: detected <stream>
//   quelt: caching <n> %        (at most one line per 10 %)
//   quelt: playing <play url>   (the page started the picture; the loopback
//                                URL plays in any other player too)
//   quelt: failed: <reason>     (the text the status line shows)
#include <cstdio>
#include <string>

class CTerminalReport {
public:
    explicit CTerminalReport(std::FILE* out) : out_(out) {}

    void LookingUp(const std::string& page);
    void Detected(const std::string& stream);
    // The cached share of the playing video, key: a line when something is
    // cached and it reached a further tenth since the last line for that
    // video.
    void Caching(const std::string& key, int percent);
    void Playing(const std::string& url);
    void Failed(const std::string& reason);

private:
    void Line(const std::string& text);

    std::FILE* out_;
    std::string cachingKey_;
    int cachingTenth_ = -1;
};
