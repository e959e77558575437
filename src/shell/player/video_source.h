#pragma once
// Where a video plays from, decided once from its key, its play-list record
// and what the cache holds: a file of this machine, a complete cache file,
// a stream that plays as it downloads, or a page whose stream is still to be
// found. Play control, the play source router and the save rules act on
// this value instead of asking the disk again. No Qt.
#include <cstdint>
#include <string>

class CPlayRequestManager;
class InfoVideo;

struct VideoSource {
    enum Kind {
        Unknown,         // neither a file nor a play-list video: nothing plays
        LocalFile,       // the key is a file of this machine
        CompleteCache,   // the record's cache file holds the whole video
        Manifest,        // the stream is an HLS or DASH manifest: its segments play from the cache
        KnownStream,     // the stream URL is known: it plays as it downloads
        NeedsDetection,  // a play-list video whose stream is still to be found
    };
    Kind kind = Unknown;
    std::string key;
    // The file that holds the whole video (LocalFile, CompleteCache).
    std::string file;
    // The video's size: the file's for a local file (-1 when it cannot be
    // read), else the record's a5 (0 while unknown).
    std::int64_t totalBytes = 0;

    // A local file or a complete cache: it plays from disk and can be saved.
    bool IsWhole() const { return kind == LocalFile || kind == CompleteCache; }
};

// A key that is a local file is that file, whatever the play list holds;
// otherwise the record (null when the key is not listed) decides.
VideoSource DecideVideoSource(const std::string& key, const InfoVideo* video);

// The loopback play URL that gives the player the source; for a whole file
// its fragment (#type=mp4, #type=flv-h264, #type=flv-other) tells the page
// what the file holds, and #type=manifest names an HLS or DASH manifest. Empty when the
// source cannot play yet.
std::string BuildSourcePlayUrl(CPlayRequestManager& server, const VideoSource& source);
