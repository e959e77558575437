#include "delivery/hls_stream.h"

#include "common/base64.h"
#include "delivery/cache_file_reader.h"
#include "delivery/flv_cache.h"
#include "records/info_video.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

std::string HlsFolderOf(const InfoVideo& video)
{
    const std::string cache = GetCachePath(video);
    return cache.empty() ? std::string() : cache + ".hls/";
}

bool HasHlsFolder(const InfoVideo& video)
{
    const std::string folder = HlsFolderOf(video);
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec);
}

CHlsStream::CHlsStream(std::string key, std::string folder) : key_(std::move(key)), folder_(std::move(folder)) {}

SegmentedCache ReadSegmentedCache(const InfoVideo& video)
{
    SegmentedCache cache;
    const std::string folder = HlsFolderOf(video);
    CHlsStream stream(video.a2, folder);
    if (folder.empty() || !stream.LoadFromCache(false))
        return cache;
    const HlsSegmentBook& book = stream.Book();
    cache.known = true;
    cache.count = book.Count();
    cache.missing = book.Count() - book.DoneCount();
    for (const std::vector<std::size_t>& entries : stream.TrackEntries()) {
        std::vector<std::string>& files = cache.tracks.emplace_back();
        for (const std::size_t entry : entries)
            files.push_back(stream.FileOf(entry));
    }
    return cache;
}

bool CHlsStream::LoadFromCache(bool writeLocal)
{
    const std::string url = ReadText(folder_ + "source.url");
    if (url.empty())
        return false;
    url_ = url;
    const std::string dashText = ReadText(folder_ + "source.mpd");
    if (!dashText.empty()) {
        DashManifest manifest = ParseDashManifest(dashText, url);
        if (!ReadDashIndexes(manifest) || !manifest.IsPlayable())
            return false;
        dash_ = true;
        dashEntries_ = DashEntries(manifest);
        SetDashTracks(manifest);
        Settle(dashEntries_.size(), BuildLocalMpd(dashText, manifest, Prefix()), writeLocal);
        return true;
    }
    const HlsPlaylist media = ParseHlsPlaylist(ReadText(folder_ + "source.m3u8"), url);
    if (media.master || media.segments.empty() || media.unsupportedKey || !ReadKeys(media))
        return false;
    playlist_ = media;
    Settle(media.segments.size() + (media.initUrl.empty() ? 0 : 1), BuildLocalPlaylist(media, Prefix()),
           writeLocal && media.ended);
    if (writeLocal && !media.ended)
        WriteText(LocalPlaylistPath(), RecordingPlaylist());
    return true;
}

std::string CHlsStream::RecordingPlaylist() const
{
    HlsPlaylist recording = playlist_;
    recording.ended = true;
    recording.windowStart = 0;
    std::vector<bool> cached(book_.Count());
    for (std::size_t entry = 0; entry < cached.size(); ++entry)
        cached[entry] = book_.StateOf(entry) == HlsSegmentBook::State::Done;
    return BuildLocalPlaylist(recording, Prefix(), cached);
}

HlsMerge CHlsStream::TakeReload(const HlsPlaylist& reloaded)
{
    const HlsMerge merge = MergeHlsPlaylist(playlist_, reloaded);
    book_.Grow(merge.appended);
    for (std::size_t entry = 0; entry < playlist_.windowStart; ++entry)
        book_.GiveUp(entry);
    WriteText(folder_ + "source.m3u8", WriteHlsRecord(playlist_));
    WriteText(LocalPlaylistPath(), BuildLocalPlaylist(playlist_, Prefix()));
    fresh = true;
    return merge;
}

bool CHlsStream::ReadKeys(const HlsPlaylist& media)
{
    keys_.clear();
    for (std::size_t k = 0; k < media.keyUrls.size(); ++k) {
        keys_.push_back(ReadText(KeyPath(k)));
        if (keys_.back().size() != 16)
            return false;
    }
    return true;
}

void CHlsStream::AwaitKeys(const HlsPlaylist& media, const std::string& text, const std::string& url)
{
    awaited_ = media;
    awaitedText_ = text;
    awaitedUrl_ = url;
}

bool CHlsStream::TakeKey(std::size_t k, const std::string& bytes)
{
    if (k >= awaited_.keyUrls.size())
        return false;
    std::error_code ec;
    fs::create_directories(folder_, ec);
    WriteText(KeyPath(k), bytes);
    if (!ReadKeys(awaited_))
        return false;
    Adopt(awaited_, awaitedText_, awaitedUrl_);
    awaited_ = HlsPlaylist{};
    return true;
}

void CHlsStream::Adopt(const HlsPlaylist& media, const std::string& text, const std::string& url)
{
    std::error_code ec;
    fs::create_directories(folder_, ec);
    ReadKeys(media);
    WriteText(folder_ + "source.m3u8", text);
    WriteText(folder_ + "source.url", url);
    url_ = url;
    fresh = true;
    dash_ = false;
    playlist_ = media;
    Settle(media.segments.size() + (media.initUrl.empty() ? 0 : 1), BuildLocalPlaylist(media, Prefix()));
}

void CHlsStream::AdoptDash(const DashManifest& manifest, const std::string& text, const std::string& url)
{
    std::error_code ec;
    fs::create_directories(folder_, ec);
    WriteText(folder_ + "source.mpd", text);
    WriteText(folder_ + "source.url", url);
    url_ = url;
    dash_ = true;
    playlist_ = HlsPlaylist{};
    dashEntries_ = DashEntries(manifest);
    SetDashTracks(manifest);
    Settle(dashEntries_.size(), BuildLocalMpd(text, manifest, Prefix()));
}

void CHlsStream::AwaitDashIndexes(const DashManifest& manifest, const std::string& text, const std::string& url)
{
    awaitedDash_ = manifest;
    awaitedText_ = text;
    awaitedUrl_ = url;
}

bool CHlsStream::ReadDashIndexes(DashManifest& manifest) const
{
    for (std::size_t t = 0; t < manifest.tracks.size(); ++t)
        if (AwaitsIndex(manifest.tracks[t]) && !ApplyDashIndex(manifest.tracks[t], ReadText(IndexPath(t))))
            return false;
    return true;
}

CHlsStream::IndexTaken CHlsStream::TakeDashIndex(std::size_t t, const std::string& bytes)
{
    if (t >= awaitedDash_.tracks.size() || !AwaitsIndex(awaitedDash_.tracks[t]))
        return IndexTaken::Waiting;  // not awaited (any more)
    if (!ApplyDashIndex(awaitedDash_.tracks[t], bytes)) {
        awaitedDash_ = DashManifest{};
        return IndexTaken::Refused;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    WriteText(IndexPath(t), bytes);
    if (awaitedDash_.AwaitsIndex())
        return IndexTaken::Waiting;
    if (!awaitedDash_.IsPlayable()) {
        awaitedDash_ = DashManifest{};
        return IndexTaken::Refused;
    }
    AdoptDash(awaitedDash_, awaitedText_, awaitedUrl_);
    awaitedDash_ = DashManifest{};
    return IndexTaken::Adopted;
}

// The play server's address of this video, which the player's manifest
// puts before each entry.
std::string CHlsStream::Prefix() const
{
    return "/" + Base64Encode(key_) + "-&flag&-0";
}

// The account starts from the entry files present.
void CHlsStream::Settle(std::size_t entries, const std::string& localManifest, bool writeLocal)
{
    book_ = HlsSegmentBook(entries);
    std::error_code ec;
    for (std::size_t entry = 0; entry < book_.Count(); ++entry)
        if (fs::is_regular_file(FileOf(entry), ec))
            book_.MarkDone(entry);
    if (writeLocal)
        WriteText(LocalPlaylistPath(), localManifest);
    hasPlaylist_ = true;
}

void CHlsStream::SetDashTracks(const DashManifest& manifest)
{
    dashTrackSizes_.clear();
    for (const DashTrack& track : manifest.tracks)
        dashTrackSizes_.push_back(track.segments.size() + (track.initUrl.empty() ? 0 : 1));
}

// DashEntryUrls lists each track's init section and segments in turn; an
// HLS init section is the entry after the segments but comes first.
std::vector<std::vector<std::size_t>> CHlsStream::TrackEntries() const
{
    std::vector<std::vector<std::size_t>> tracks;
    if (dash_) {
        std::size_t entry = 0;
        for (const std::size_t size : dashTrackSizes_) {
            std::vector<std::size_t>& track = tracks.emplace_back();
            for (std::size_t i = 0; i < size; ++i)
                track.push_back(entry++);
        }
        return tracks;
    }
    std::vector<std::size_t>& track = tracks.emplace_back();
    if (InitEntry() < book_.Count())
        track.push_back(InitEntry());
    for (std::size_t i = 0; i < playlist_.segments.size(); ++i)
        track.push_back(i);
    return tracks;
}

std::string CHlsStream::UrlOf(std::size_t entry) const
{
    if (dash_)
        return entry < dashEntries_.size() ? dashEntries_[entry].url : std::string();
    return entry < playlist_.segments.size() ? playlist_.segments[entry].url : playlist_.initUrl;
}

ByteRange CHlsStream::RangeOf(std::size_t entry) const
{
    return dash_ && entry < dashEntries_.size() ? dashEntries_[entry].range : ByteRange{};
}

std::string CHlsStream::FileOf(std::size_t entry) const
{
    return folder_ + (dash_ || entry < playlist_.segments.size() ? "s" + std::to_string(entry) : std::string("init"));
}

std::optional<SegmentDecryption> CHlsStream::DecryptionOf(std::size_t entry) const
{
    if (dash_ || entry >= playlist_.segments.size() || playlist_.segments[entry].key < 0)
        return std::nullopt;
    const HlsSegment& segment = playlist_.segments[entry];
    const auto k = static_cast<std::size_t>(segment.key);
    // A key that is not there cannot decrypt: the work fails like a wrong key.
    return SegmentDecryption{k < keys_.size() ? keys_[k] : std::string(), segment.iv, PartOf(entry), FileOf(entry)};
}

bool CHlsStream::CommitPart(std::size_t entry)
{
    std::error_code ec;
    fs::rename(PartOf(entry), FileOf(entry), ec);
    return !ec;
}

std::int64_t CHlsStream::CachedBytes() const
{
    std::int64_t total = 0;
    for (std::size_t entry = 0; entry < book_.Count(); ++entry)
        if (book_.StateOf(entry) == HlsSegmentBook::State::Done)
            total += std::max<std::int64_t>(0, GetFileSize64(FileOf(entry)));
    return total;
}
