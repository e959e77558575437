#pragma once
// One segmented video (HLS or DASH) in the cache: a folder beside the cache
// files, "temp/<md5 of the stream URL>.hls/", holding the manifest as the
// site sent it ("source.m3u8" or "source.mpd", its address in
// "source.url"), the manifest the player gets ("play.m3u8" or "play.mpd"),
// and one file per entry: "s<i>" (for HLS the init section is "init", the
// entry after the segments; for DASH each chosen representation's init
// section and segments are entries in turn). An entry is written to
// "<name>.part" and renamed once it arrived whole, so an entry's file is
// always complete and a ".part" is resumed from its size. User-interface
// thread only (an encrypted segment's part is decrypted on a worker, which
// gets its own copy of what that takes).
#include "delivery/dash_manifest.h"
#include "delivery/hls_playlist.h"
#include "delivery/hls_segment_book.h"
#include "delivery/hls_segment_decrypt.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class InfoVideo;

// The folder of a video's HLS cache (empty without a stream URL), and
// whether it exists: a video with this folder plays as HLS.
std::string HlsFolderOf(const InfoVideo& video);
bool HasHlsFolder(const InfoVideo& video);

// What the cache holds of a segmented video for saving it as one file:
// the entry files of each track in play order (an HLS stream is one track,
// its init section first when it has one; a DASH stream one track per
// chosen representation, each init section first) and how many entries
// are not cached. Read from the folder alone.
struct SegmentedCache {
    bool known = false;  // the folder holds a usable manifest
    std::size_t count = 0;
    std::size_t missing = 0;
    std::vector<std::vector<std::string>> tracks;
    bool IsComplete() const { return known && count > 0 && missing == 0; }
};
SegmentedCache ReadSegmentedCache(const InfoVideo& video);

class CHlsStream {
public:
    // key: the video's key, which the local playlist's addresses carry.
    CHlsStream(std::string key, std::string folder);

    // Reads a playlist cached by an earlier run and counts the segment
    // files present as done. False when nothing usable is cached. The
    // player's manifest is written again unless writeLocal is false (a
    // reader that only looks).
    bool LoadFromCache(bool writeLocal = true);
    // Takes the media playlist fetched from url and keeps it on disk.
    void Adopt(const HlsPlaylist& media, const std::string& text, const std::string& url);
    // An AES-128 playlist waits for its keys ("key<k>" in the folder) before
    // it is adopted, so that a cached playlist always has its keys beside it.
    void AwaitKeys(const HlsPlaylist& media, const std::string& text, const std::string& url);
    const std::vector<std::string>& AwaitedKeyUrls() const { return awaited_.keyUrls; }
    // Key k arrived; true once every key is here and the playlist adopted.
    bool TakeKey(std::size_t k, const std::string& bytes);
    // Takes a playable DASH manifest fetched from url and keeps it on disk.
    void AdoptDash(const DashManifest& manifest, const std::string& text, const std::string& url);

    bool HasPlaylist() const { return hasPlaylist_; }
    bool IsDash() const { return dash_; }
    // The entry of the HLS init section; Count() when there is none.
    std::size_t InitEntry() const { return dash_ ? book_.Count() : playlist_.segments.size(); }
    HlsSegmentBook& Book() { return book_; }
    const HlsSegmentBook& Book() const { return book_; }

    // The entries of each track in play order.
    std::vector<std::vector<std::size_t>> TrackEntries() const;
    // Book entries: the segments, then the init section when there is one.
    std::string UrlOf(std::size_t entry) const;
    std::string FileOf(std::size_t entry) const;
    std::string PartOf(std::size_t entry) const { return FileOf(entry) + ".part"; }
    std::string LocalPlaylistPath() const { return folder_ + (dash_ ? "play.mpd" : "play.m3u8"); }
    // What turns an encrypted segment's part into its clear file (on a
    // worker: DecryptSegmentPart); none for an entry in the clear.
    std::optional<SegmentDecryption> DecryptionOf(std::size_t entry) const;
    // A clear entry's part arrived whole: it becomes the entry's file.
    bool CommitPart(std::size_t entry);
    std::int64_t CachedBytes() const;

    // Segment fetches running now, and the play requests (by serial) that
    // wait for an entry (-1: the playlist).
    int fetching = 0;
    std::vector<std::pair<std::uint64_t, int>> waiting;
    bool failed = false;           // no playable playlist could be had
    bool missingReported = false;  // the user was told of missing segments

private:
    void Settle(std::size_t entries, const std::string& localManifest, bool writeLocal = true);
    std::string Prefix() const;
    void SetDashTracks(const DashManifest& manifest);
    std::string KeyPath(std::size_t k) const { return folder_ + "key" + std::to_string(k); }
    // Reads the playlist's keys from the folder; false when one is not there.
    bool ReadKeys(const HlsPlaylist& media);

    std::string key_;
    std::string folder_;
    bool hasPlaylist_ = false;
    bool dash_ = false;
    HlsPlaylist playlist_;
    std::vector<std::string> dashUrls_;  // DASH: the address of each entry
    std::vector<std::size_t> dashTrackSizes_;  // DASH: the entries of each track
    std::vector<std::string> keys_;            // HLS AES-128: the keys, by index
    HlsPlaylist awaited_;                      // a playlist waiting for its keys
    std::string awaitedText_;
    std::string awaitedUrl_;
    HlsSegmentBook book_;
};
