#pragma once
// Short test videos made with ffmpeg on first use and kept in a folder of
// the temporary directory, so that no media file lives in the repository.
#include <string>

namespace test_site {

enum class VideoKind { Flv, FlvH264, Mp4, Mp4FastStart };

// Path of a video of about `seconds` seconds (FLV: Sorenson Spark with MP3;
// FlvH264: H.264 with AAC in FLV; Mp4: H.264 with AAC as ffmpeg writes it by
// default, brand "isom" and the index ("moov") at the end, like most MP4 on
// the web; Mp4FastStart: the same with the index at the front).
// Empty when ffmpeg failed.
std::string MakeTestVideo(VideoKind kind, int seconds = 2, const std::string& folder = {});

// An HLS VOD of about `seconds` seconds in one-second TS segments, as
// ffmpeg's hls muxer writes it: "master.m3u8" lists two variants,
// "v0/index.m3u8" (320x240, the higher bandwidth) and "v1/index.m3u8"
// (160x120), each with segments "seg<i>.ts". Returns the folder that holds
// them, or empty when ffmpeg failed.
std::string MakeTestHls(int seconds = 4, const std::string& folder = {});

// The test key of MakeTestHlsAes: 16 bytes.
constexpr const char* kTestHlsKey = "quelt-test-key-1";

// Two HLS VOD of about `seconds` seconds in one-second TS segments from the
// same input with the same settings, as ffmpeg's hls muxer writes them:
// "aes/index.m3u8" encrypted with AES-128 (-hls_key_info_file; the key
// kTestHlsKey in "aes/key.bin", which the playlist names by "key.bin") and
// "clear/index.m3u8" without encryption, each with segments "seg<i>.ts".
// Returns the folder that holds both, or empty when ffmpeg failed.
std::string MakeTestHlsAes(int seconds = 4, const std::string& folder = {});

// An HLS VOD of about `seconds` seconds in one-second fMP4 segments, as
// ffmpeg's hls muxer writes it with -hls_segment_type fmp4:
// "index.m3u8" naming the init section "init.mp4" (EXT-X-MAP) and the
// segments "seg<i>.m4s". Returns the folder, or empty when ffmpeg failed.
std::string MakeTestHlsFmp4(int seconds = 4, const std::string& folder = {});

// How a DASH test stream addresses its segments, each as ffmpeg's dash
// muxer writes it.
enum class DashKind {
    NumberTimeline,  // the muxer's defaults: SegmentTemplate, $Number$, SegmentTimeline
    NumberDuration,  // SegmentTemplate with $Number$ and a fixed duration (-use_timeline 0)
    TimeTimeline,    // SegmentTemplate with $Time$ and SegmentTimeline; video only
    SegmentList,     // SegmentList of SegmentURLs (-use_template 0 -use_timeline 0)
    // One file per representation (-single_file 1): a SegmentList of byte
    // ranges (Initialization@range, SegmentURL@mediaRange) of it.
    ByteRanges,
    // One file per representation with one segment index (-single_file 1
    // -global_sidx 1); the muxer lists its byte ranges, and the manifest is
    // rewritten to a SegmentBase naming the file's sidx box (indexRange) and
    // what precedes it (Initialization@range). The muxer's own manifest is
    // kept as "muxer.mpd".
    SegmentBase,
};

// A DASH VOD of about `seconds` seconds in one-second fMP4 segments:
// "manifest.mpd" with one video adaptation set of two representations
// (id 0: 320x240, the higher bandwidth; id 2: 160x120) and one audio
// representation (id 1), files "init-stream<id>.m4s" and
// "chunk-stream<id>-<number, 5 digits from 00001>.m4s" ("chunk-<id>-<time>.m4s"
// for TimeTimeline, whose second video representation is id 1;
// "manifest-stream<id>.mp4" for ByteRanges and SegmentBase). Returns the
// folder, or empty when ffmpeg failed.
std::string MakeTestDash(int seconds = 4, DashKind kind = DashKind::NumberTimeline, const std::string& folder = {});

class TestSite;
// How ServeFolder holds the files: read into memory once, or read from
// disk at each request (a long stream then costs the serving process no
// memory, which keeps it out of memory figures).
enum class FolderServing { InMemory, FromDisk };

// Serves every file under `folder` at prefix + its relative path (HLS
// playlists as "application/vnd.apple.mpegurl", TS as "video/mp2t", DASH
// manifests as "application/dash+xml").
bool ServeFolder(TestSite& site, const std::string& prefix, const std::string& folder,
                 FolderServing serving = FolderServing::InMemory);

// Serves the encrypted stream of a MakeTestHlsAes folder at prefix
// ("<prefix>/index.m3u8", "<prefix>/seg<i>.ts") with its key at
// "<prefix>/key.bin", which goes only to requests whose Referer is the
// page at pagePath (of any host), as a site that guards its keys does (any
// other request gets a short text that is no key).
bool ServeHlsAes(TestSite& site, const std::string& prefix, const std::string& folder, const std::string& pagePath);

// The whole file, or empty.
std::string ReadFileBytes(const std::string& path);

}  // namespace test_site
