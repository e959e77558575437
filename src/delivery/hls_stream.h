#pragma once
// One segmented video (HLS or DASH) in the cache: a folder beside the cache
// files, "temp/<md5 of the stream URL>.hls/", holding the manifest as the
// site sent it ("source.m3u8" or "source.mpd", its address in
// "source.url"), the manifest the player gets ("play.m3u8" or "play.mpd"),
// and one file per entry: "s<i>" (for HLS the init section is "init", the
// entry after the segments; for DASH each chosen representation's init
// section and segments are entries in turn, a byte range of a file being an
// entry like a file; "index<t>" keeps the segment index of track t of a
// SegmentBase manifest, without which its segments are unknown). An entry is written to
// "<name>.part" and renamed once it arrived whole, so an entry's file is
// always complete and a ".part" is resumed from its size. User-interface
// thread only (an encrypted segment's part is decrypted on a worker, which
// gets its own copy of what that takes).
#include "delivery/dash_manifest.h"
#include "delivery/hls_live.h"
#include "delivery/hls_playlist.h"
#include "delivery/hls_segment_book.h"
#include "delivery/hls_segment_decrypt.h"

#include <chrono>
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
    // A SegmentBase manifest waits for the index of each of its tracks
    // ("index<t>" in the folder) before it is adopted, so that a cached
    // manifest always has its indexes beside it.
    void AwaitDashIndexes(const DashManifest& manifest, const std::string& text, const std::string& url);
    const DashManifest& AwaitedDash() const { return awaitedDash_; }
    enum class IndexTaken { Waiting, Adopted, Refused };
    // The index of track t arrived: kept and read; Adopted once every
    // track's index is here, Refused (and nothing awaited any more) when it
    // is not an index.
    IndexTaken TakeDashIndex(std::size_t t, const std::string& bytes);

    bool HasPlaylist() const { return hasPlaylist_; }
    // A live HLS stream: its media playlist has no EXT-X-ENDLIST (yet).
    bool IsLive() const { return hasPlaylist_ && !dash_ && !playlist_.ended; }
    int TargetDuration() const { return playlist_.targetDuration; }
    // The media playlist's address (the variant's, for a master playlist).
    const std::string& SourceUrl() const { return url_; }
    // Merges a reload of a live playlist: the new segments join the book,
    // pending ones that slid out of the site's window are given up, and the
    // record ("source.m3u8") and the player's window are written again.
    HlsMerge TakeReload(const HlsPlaylist& reloaded);
    bool IsDash() const { return dash_; }
    // The entry of the HLS init section; Count() when there is none.
    std::size_t InitEntry() const { return dash_ ? book_.Count() : playlist_.segments.size(); }
    HlsSegmentBook& Book() { return book_; }
    const HlsSegmentBook& Book() const { return book_; }

    // The entries of each track in play order.
    std::vector<std::vector<std::size_t>> TrackEntries() const;
    // Book entries: the segments, then the init section when there is one.
    std::string UrlOf(std::size_t entry) const;
    // The part of UrlOf(entry) the entry is (unset: all of it).
    ByteRange RangeOf(std::size_t entry) const;
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
    // Live: the list came from the site in this run (a recording read from
    // the cache alone plays as a VOD of what it holds); a reload runs; the
    // next one is due.
    bool fresh = false;
    bool reloading = false;
    bool reloadScheduled = false;
    std::chrono::steady_clock::time_point reloadDue;

private:
    void Settle(std::size_t entries, const std::string& localManifest, bool writeLocal = true);
    std::string Prefix() const;
    void SetDashTracks(const DashManifest& manifest);
    std::string KeyPath(std::size_t k) const { return folder_ + "key" + std::to_string(k); }
    std::string IndexPath(std::size_t t) const { return folder_ + "index" + std::to_string(t); }
    // Reads the kept index of every track that awaits one into manifest;
    // false when one is not there or is not an index.
    bool ReadDashIndexes(DashManifest& manifest) const;
    // Reads the playlist's keys from the folder; false when one is not there.
    bool ReadKeys(const HlsPlaylist& media);

    // The player's playlist of a recorded live stream: the cached segments.
    std::string RecordingPlaylist() const;

    std::string key_;
    std::string folder_;
    std::string url_;
    bool hasPlaylist_ = false;
    bool dash_ = false;
    HlsPlaylist playlist_;
    std::vector<DashEntry> dashEntries_;  // DASH: the address (and range) of each entry
    std::vector<std::size_t> dashTrackSizes_;  // DASH: the entries of each track
    std::vector<std::string> keys_;            // HLS AES-128: the keys, by index
    HlsPlaylist awaited_;                      // a playlist waiting for its keys
    std::string awaitedText_;
    std::string awaitedUrl_;
    DashManifest awaitedDash_;  // a SegmentBase manifest waiting for its indexes
    HlsSegmentBook book_;
};
