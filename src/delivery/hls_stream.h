#pragma once
// One HLS video in the cache: a folder beside the cache files,
// "temp/<md5 of the stream URL>.hls/", holding the media playlist as the
// site sent it ("source.m3u8", its address in "source.url"), the playlist
// the player gets ("play.m3u8"), and one file per segment ("s<i>", the init
// section as segment number Count): a segment is written to "<name>.part"
// and renamed once it arrived whole, so a segment file is always complete
// and a ".part" is resumed from its size. User-interface thread only.
#include "delivery/hls_playlist.h"
#include "delivery/hls_segment_book.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class InfoVideo;

// The folder of a video's HLS cache (empty without a stream URL), and
// whether it exists: a video with this folder plays as HLS.
std::string HlsFolderOf(const InfoVideo& video);
bool HasHlsFolder(const InfoVideo& video);

class CHlsStream {
public:
    // key: the video's key, which the local playlist's addresses carry.
    CHlsStream(std::string key, std::string folder);

    // Reads a playlist cached by an earlier run and counts the segment
    // files present as done. False when nothing usable is cached.
    bool LoadFromCache();
    // Takes the media playlist fetched from url and keeps it on disk.
    void Adopt(const HlsPlaylist& media, const std::string& text, const std::string& url);

    bool HasPlaylist() const { return hasPlaylist_; }
    const HlsPlaylist& Playlist() const { return playlist_; }
    HlsSegmentBook& Book() { return book_; }
    const HlsSegmentBook& Book() const { return book_; }

    // Book entries: the segments, then the init section when there is one.
    std::string UrlOf(std::size_t entry) const;
    std::string FileOf(std::size_t entry) const;
    std::string PartOf(std::size_t entry) const { return FileOf(entry) + ".part"; }
    std::string LocalPlaylistPath() const { return folder_ + "play.m3u8"; }
    // The part arrived whole: it becomes the segment's file.
    bool CommitPart(std::size_t entry);
    std::int64_t CachedBytes() const;

    // Segment fetches running now, and the play requests (by serial) that
    // wait for an entry (-1: the playlist).
    int fetching = 0;
    std::vector<std::pair<std::uint64_t, int>> waiting;
    bool failed = false;           // no playable playlist could be had
    bool missingReported = false;  // the user was told of missing segments

private:
    void Settle();

    std::string key_;
    std::string folder_;
    bool hasPlaylist_ = false;
    HlsPlaylist playlist_;
    HlsSegmentBook book_;
};
