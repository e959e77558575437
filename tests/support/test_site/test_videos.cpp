#include "test_site/test_videos.h"

#include "test_site/test_site.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <regex>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace test_site {

namespace {

std::string DefaultFolder()
{
    return (fs::temp_directory_path() / ("quelt-test-videos-" + std::to_string(::getuid()))).string();
}

// The byte range "first-last" of the first top-level sidx box of an MP4
// file, or empty.
std::string SidxRange(const std::string& file)
{
    const std::string bytes = ReadFileBytes(file);
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        std::uint64_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        if (size < 8)
            return {};
        if (bytes.compare(at + 4, 4, "sidx") == 0)
            return std::to_string(at) + "-" + std::to_string(at + size - 1);
        at += size;
    }
    return {};
}

// The dash muxer writes no SegmentBase; its single files with a global
// index are what one addresses, so each representation's SegmentList is
// replaced by a SegmentBase naming the file's sidx and the bytes before it.
bool RewriteToSegmentBase(const std::string& folder)
{
    const std::string manifest = ReadFileBytes(folder + "/manifest.mpd");
    std::ofstream(folder + "/muxer.mpd", std::ios::binary) << manifest;
    const std::regex list(R"((<BaseURL>([^<]+)</BaseURL>\s*)<SegmentList[^>]*>[\s\S]*?</SegmentList>)");
    std::string rewritten;
    auto from = manifest.cbegin();
    for (std::sregex_iterator it(manifest.begin(), manifest.end(), list), end; it != end; ++it) {
        const std::string index = SidxRange(folder + "/" + (*it)[2].str());
        if (index.empty())
            return false;
        const std::string first = index.substr(0, index.find('-'));
        rewritten.append(from, (*it)[0].first);
        rewritten += (*it)[1].str() + "<SegmentBase indexRange=\"" + index + "\"><Initialization range=\"0-"
                     + std::to_string(std::stoull(first) - 1) + "\" /></SegmentBase>";
        from = (*it)[0].second;
    }
    rewritten.append(from, manifest.cend());
    if (rewritten == manifest)
        return false;
    std::ofstream(folder + "/manifest.mpd", std::ios::binary | std::ios::trunc) << rewritten;
    return true;
}

// Makes a stream's folder once. ffmpeg writes into a folder of its own,
// which takes the final name only when everything was made, so that a
// half-made set is never served; `marker` names the file that shows a
// finished folder. Test programs running side by side may each make it.
std::string MakeFolderOnce(const std::string& dir, const std::string& marker,
                           const std::function<bool(const std::string& partial)>& make)
{
    std::error_code ec;
    if (fs::exists(dir + "/" + marker, ec))
        return dir;
    const std::string partial = dir + "." + std::to_string(::getpid()) + ".part";
    fs::remove_all(partial, ec);
    fs::create_directories(partial, ec);
    if (!make(partial))
        return {};
    fs::rename(partial, dir, ec);
    if (!ec)
        return dir;
    // Another test program made the same set meanwhile: theirs is as good.
    fs::remove_all(partial, ec);
    return fs::exists(dir + "/" + marker, ec) ? dir : std::string();
}

// ffmpeg's inputs for a test picture with a tone, `seconds` long.
std::string TestSourceInputs(int seconds)
{
    const std::string s = std::to_string(seconds);
    return "-f lavfi -i testsrc=duration=" + s + ":size=320x240:rate=25 -f lavfi -i sine=duration=" + s;
}

}  // namespace

std::string MakeTestVideo(VideoKind kind, int seconds, const std::string& folder)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::string dir = folder.empty() ? DefaultFolder() : folder;
    std::error_code ec;
    fs::create_directories(dir, ec);
    const bool flv = kind == VideoKind::Flv || kind == VideoKind::FlvH264;
    const char* base = kind == VideoKind::Flv        ? "clip"
                       : kind == VideoKind::FlvH264  ? "clip-h264-"
                       : kind == VideoKind::Mp4      ? "movie-isom-"
                                                     : "movie-faststart-";
    const std::string name = base + std::to_string(seconds) + (flv ? ".flv" : ".mp4");
    const std::string path = dir + "/" + name;
    if (fs::exists(path, ec) && fs::file_size(path, ec) > 0)
        return path;

    const std::string h264 = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac";
    const std::string codecs = kind == VideoKind::Flv         ? "-c:v flv1 -c:a libmp3lame -ar 44100"
                               : kind == VideoKind::Mp4FastStart ? h264 + " -movflags +faststart"
                                                                 : h264;
    // Written under a temporary name first, so that a half-made file is never taken for a video.
    const std::string partial = path + "." + std::to_string(::getpid()) + ".part";
    const std::string command = "ffmpeg -nostdin -loglevel error -y " + TestSourceInputs(seconds) + " " + codecs
                                + " -f " + (flv ? "flv" : "mp4") + " '" + partial + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    fs::rename(partial, path, ec);
    return ec ? std::string() : path;
}

std::string MakeTestHls(int seconds, const std::string& folder)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::string dir = (folder.empty() ? DefaultFolder() : folder) + "/hls-" + std::to_string(seconds);
    return MakeFolderOnce(dir, "master.m3u8", [seconds](const std::string& partial) {
        const std::string command = "cd '" + partial + "' && ffmpeg -nostdin -loglevel error -y " + TestSourceInputs(seconds)
                                    + " -map 0:v -map 1:a -map 0:v -map 1:a -c:v libx264 -preset ultrafast -pix_fmt yuv420p"
                                      " -g 25 -c:a aac -b:v:0 600k -s:v:0 320x240 -b:v:1 200k -s:v:1 160x120 -f hls"
                                      " -hls_time 1 -hls_playlist_type vod -master_pl_name master.m3u8"
                                      " -var_stream_map 'v:0,a:0 v:1,a:1' -hls_segment_filename 'v%v/seg%d.ts' 'v%v/index.m3u8'";
        return std::system(command.c_str()) == 0;
    });
}

std::string MakeTestHlsAes(int seconds, const std::string& folder)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::string dir = (folder.empty() ? DefaultFolder() : folder) + "/hls-aes-" + std::to_string(seconds);
    return MakeFolderOnce(dir, "aes/index.m3u8", [seconds](const std::string& partial) {
        std::error_code ec;
        fs::create_directories(partial + "/aes", ec);
        fs::create_directories(partial + "/clear", ec);
        std::ofstream(partial + "/aes/key.bin", std::ios::binary) << kTestHlsKey;
        // The key info file: the key's address in the playlist, then the key file.
        std::ofstream(partial + "/keyinfo") << "key.bin\n" << partial << "/aes/key.bin\n";
        const std::string encode = "ffmpeg -nostdin -loglevel error -y " + TestSourceInputs(seconds)
                                   + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -f hls -hls_time 1"
                                     " -hls_playlist_type vod -hls_segment_filename 'seg%d.ts'";
        const std::string command = "cd '" + partial + "/aes' && " + encode + " -hls_key_info_file ../keyinfo index.m3u8 && cd '"
                                    + partial + "/clear' && " + encode + " index.m3u8";
        if (std::system(command.c_str()) != 0)
            return false;
        fs::remove(partial + "/keyinfo", ec);
        return true;
    });
}

std::string MakeTestHlsFmp4(int seconds, const std::string& folder)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::string dir = (folder.empty() ? DefaultFolder() : folder) + "/hls-fmp4-" + std::to_string(seconds);
    return MakeFolderOnce(dir, "index.m3u8", [seconds](const std::string& partial) {
        const std::string command = "cd '" + partial + "' && ffmpeg -nostdin -loglevel error -y " + TestSourceInputs(seconds)
                                    + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -f hls -hls_time 1"
                                      " -hls_playlist_type vod -hls_segment_type fmp4 -hls_segment_filename 'seg%d.m4s'"
                                      " index.m3u8";
        return std::system(command.c_str()) == 0;
    });
}

std::string MakeTestDash(int seconds, DashKind kind, const std::string& folder)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const char* name = kind == DashKind::NumberTimeline   ? "number"
                       : kind == DashKind::NumberDuration ? "duration"
                       : kind == DashKind::TimeTimeline   ? "time"
                       : kind == DashKind::ByteRanges     ? "ranges"
                       : kind == DashKind::SegmentBase    ? "base"
                                                          : "list";
    const std::string dir =
        (folder.empty() ? DefaultFolder() : folder) + "/dash-" + name + "-" + std::to_string(seconds);
    // ffmpeg 5.1 names an audio segment by a time other than the one its
    // manifest lists when $Time$ is used, so that variant has no audio.
    const bool audio = kind != DashKind::TimeTimeline;
    const std::string options = kind == DashKind::NumberDuration ? " -use_timeline 0"
                                : kind == DashKind::SegmentList  ? " -use_template 0 -use_timeline 0"
                                : kind == DashKind::TimeTimeline
                                    ? " -media_seg_name 'chunk-$RepresentationID$-$Time$.$ext$'"
                                : kind == DashKind::ByteRanges  ? " -single_file 1"
                                : kind == DashKind::SegmentBase ? " -single_file 1 -global_sidx 1"
                                                                : "";
    return MakeFolderOnce(dir, "manifest.mpd", [&](const std::string& partial) {
        const std::string command =
            "cd '" + partial + "' && ffmpeg -nostdin -loglevel error -y " + TestSourceInputs(seconds) + " -map 0:v"
            + (audio ? " -map 1:a" : "")
            + " -map 0:v -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -b:v:0 600k -s:v:0 320x240"
              " -b:v:1 200k -s:v:1 160x120 -seg_duration 1 -adaptation_sets '"
            + (audio ? "id=0,streams=v id=1,streams=a" : "id=0,streams=v") + "' -f dash" + options + " manifest.mpd";
        if (std::system(command.c_str()) != 0)
            return false;
        return kind != DashKind::SegmentBase || RewriteToSegmentBase(partial);
    });
}

bool ServeFolder(TestSite& site, const std::string& prefix, const std::string& folder, FolderServing serving)
{
    std::error_code ec;
    bool any = false;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (!entry.is_regular_file())
            continue;
        const std::string relative = fs::relative(entry.path(), folder).generic_string();
        const std::string type = relative.ends_with(".m3u8") ? "application/vnd.apple.mpegurl"
                                 : relative.ends_with(".ts") ? "video/mp2t"
                                 : relative.ends_with(".mpd") ? "application/dash+xml"
                                 : relative.ends_with(".m4s") ? "video/iso.segment"
                                 : relative.ends_with(".mp4") ? "video/mp4"
                                                             : "application/octet-stream";
        const std::string file = entry.path().string();
        if (serving == FolderServing::FromDisk) {
            site.SetHandler(prefix + "/" + relative, [file](const RecordedRequest&) { return ReadFileBytes(file); },
                            type);
            any = true;
        } else {
            any = site.AddFileFromDisk(prefix + "/" + relative, file, type) || any;
        }
    }
    return any;
}

bool ServeHlsAes(TestSite& site, const std::string& prefix, const std::string& folder, const std::string& pagePath)
{
    if (!ServeFolder(site, prefix, folder + "/aes"))
        return false;
    const std::string key = ReadFileBytes(folder + "/aes/key.bin");
    site.SetHandler(
        prefix + "/key.bin",
        [key, pagePath](const RecordedRequest& request) {
            const std::string referer = request.Value("Referer");
            const std::size_t scheme = referer.find("://");
            const std::size_t path = scheme == std::string::npos ? scheme : referer.find('/', scheme + 3);
            return path != std::string::npos && referer.substr(path) == pagePath ? key
                                                                                  : std::string("no key without the page");
        },
        "application/octet-stream");
    return true;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace test_site
