#include "delivery/hls_playlist.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

// The value of NAME=value in an attribute list (quoted or not).
std::string Attribute(std::string_view list, std::string_view name)
{
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t eq = list.find('=', at);
        if (eq == std::string_view::npos)
            break;
        const std::string_view key = Trim(list.substr(at, eq - at));
        std::size_t end;
        std::string_view value;
        if (eq + 1 < list.size() && list[eq + 1] == '"') {
            const std::size_t close = list.find('"', eq + 2);
            end = close == std::string_view::npos ? list.size() : close + 1;
            value = list.substr(eq + 2, (close == std::string_view::npos ? list.size() : close) - eq - 2);
        } else {
            end = list.find(',', eq + 1);
            if (end == std::string_view::npos)
                end = list.size();
            value = list.substr(eq + 1, end - eq - 1);
        }
        if (key == name)
            return std::string(value);
        at = list.find(',', end);
        at = at == std::string_view::npos ? list.size() : at + 1;
    }
    return {};
}

std::int64_t ToInt(std::string_view text)
{
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// An IV attribute "0x" + up to 32 hex digits, right-aligned big-endian.
bool ParseIv(const std::string& text, std::array<unsigned char, 16>& iv)
{
    if (text.size() < 3 || text.size() > 34 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    iv = {};
    std::size_t nibble = 0;
    for (std::size_t at = text.size(); at > 2; --at, ++nibble) {
        const char c = text[at - 1];
        const int value = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (value < 0)
            return false;
        iv[15 - nibble / 2] |= static_cast<unsigned char>(nibble % 2 ? value << 4 : value);
    }
    return true;
}

// "a/b/../c/./d" → "a/c/d" (RFC 3986, remove_dot_segments).
std::string RemoveDots(const std::string& path)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t slash = path.find('/', at);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string piece = path.substr(at, slash - at);
        const bool last = slash == path.size();
        if (piece == "..") {
            if (out.size() > 1)
                out.pop_back();
            if (last)
                out.emplace_back();
        } else if (piece == ".") {
            if (last)
                out.emplace_back();
        } else {
            out.push_back(piece);
        }
        at = slash + 1;
    }
    std::string joined;
    for (std::size_t i = 0; i < out.size(); ++i)
        joined += (i ? "/" : "") + out[i];
    return joined;
}

}  // namespace

std::string ResolveUrl(const std::string& base, const std::string& reference)
{
    if (reference.find("://") != std::string::npos && reference.find("://") < reference.find('/'))
        return reference;
    const std::size_t scheme = base.find("://");
    if (scheme == std::string::npos)
        return reference;
    if (reference.starts_with("//"))
        return base.substr(0, scheme + 1) + reference;
    const std::size_t pathStart = std::min(base.find('/', scheme + 3), base.size());
    const std::string origin = base.substr(0, pathStart);
    std::string path = base.substr(pathStart);
    path = path.substr(0, std::min(path.find('#'), path.size()));
    const std::size_t query = std::min(path.find('?'), path.size());
    if (reference.empty())
        return origin + path;
    if (reference.front() == '?')
        return origin + path.substr(0, query) + reference;
    if (reference.front() == '/')
        return origin + RemoveDots(reference);
    std::string directory = path.substr(0, query);
    directory = directory.substr(0, directory.rfind('/') + 1);
    if (directory.empty())
        directory = "/";
    return origin + RemoveDots(directory + reference);
}

HlsPlaylist ParseHlsPlaylist(std::string_view text, const std::string& baseUrl)
{
    HlsPlaylist playlist;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!text.starts_with("#EXTM3U"))
        return playlist;
    double duration = 0;
    int key = -1;
    bool hasIv = false;
    std::array<unsigned char, 16> iv{};
    std::uint64_t sequence = 0;
    std::size_t sequenceAt = 0;  // the segment the last EXT-X-MEDIA-SEQUENCE numbers
    bool discontinuity = false;
    bool variantPending = false;
    std::int64_t bandwidth = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(at, end - at));
        at = end + 1;
        if (line.empty())
            continue;
        if (line.starts_with("#EXT-X-STREAM-INF:")) {
            variantPending = true;
            bandwidth = ToInt(Attribute(line.substr(18), "BANDWIDTH"));
        } else if (line.starts_with("#EXTINF:")) {
            duration = std::strtod(std::string(line.substr(8)).c_str(), nullptr);
        } else if (line.starts_with("#EXT-X-MAP:")) {
            playlist.initUrl = ResolveUrl(baseUrl, Attribute(line.substr(11), "URI"));
        } else if (line.starts_with("#EXT-X-KEY:")) {
            const std::string method = Attribute(line.substr(11), "METHOD");
            key = -1;
            hasIv = false;
            if (method == "AES-128") {
                const std::string url = ResolveUrl(baseUrl, Attribute(line.substr(11), "URI"));
                const auto known = std::find(playlist.keyUrls.begin(), playlist.keyUrls.end(), url);
                key = static_cast<int>(known - playlist.keyUrls.begin());
                if (known == playlist.keyUrls.end())
                    playlist.keyUrls.push_back(url);
                hasIv = ParseIv(Attribute(line.substr(11), "IV"), iv);
            } else if (method != "NONE") {
                playlist.unsupportedKey = true;
            }
        } else if (line.starts_with("#EXT-X-MEDIA-SEQUENCE:")) {
            sequence = static_cast<std::uint64_t>(ToInt(line.substr(22)));
            sequenceAt = playlist.segments.size();
        } else if (line.starts_with("#EXT-X-TARGETDURATION:")) {
            playlist.targetDuration = static_cast<int>(ToInt(line.substr(22)));
        } else if (line == "#EXT-X-DISCONTINUITY") {
            discontinuity = true;
        } else if (line == "#EXT-X-ENDLIST") {
            playlist.ended = true;
        } else if (line.front() != '#') {
            const std::string url = ResolveUrl(baseUrl, std::string(line));
            if (variantPending) {
                playlist.master = true;
                playlist.variants.push_back(HlsVariant{bandwidth, url});
                variantPending = false;
            } else {
                const std::uint64_t number = sequence + (playlist.segments.size() - sequenceAt);
                HlsSegment segment{duration, url, key, iv, number, discontinuity};
                if (key >= 0 && !hasIv) {
                    segment.iv = {};
                    for (int i = 0; i < 8; ++i)
                        segment.iv[15 - i] = static_cast<unsigned char>(number >> (8 * i));
                }
                playlist.segments.push_back(segment);
                duration = 0;
                discontinuity = false;
            }
        }
    }
    return playlist;
}

const HlsVariant* ChooseVariant(const HlsPlaylist& master)
{
    const HlsVariant* best = nullptr;
    for (const HlsVariant& variant : master.variants)
        if (!best || variant.bandwidth > best->bandwidth)
            best = &variant;
    return best;
}

std::string BuildLocalPlaylist(const HlsPlaylist& media, const std::string& prefix, const std::vector<bool>& cached)
{
    const std::size_t first = std::min(media.windowStart, media.segments.size());
    double longest = media.targetDuration;
    std::uint64_t discontinuities = 0;  // those before the window, which the player never sees
    for (std::size_t i = 0; i < media.segments.size(); ++i) {
        longest = std::max(longest, media.segments[i].duration);
        if (i < first && media.segments[i].discontinuity)
            ++discontinuities;
    }
    std::string text = "#EXTM3U\n#EXT-X-VERSION:";
    text += media.initUrl.empty() ? "3\n" : "7\n";
    text += "#EXT-X-TARGETDURATION:" + std::to_string(static_cast<int>(longest + 0.999)) + "\n";
    text += "#EXT-X-MEDIA-SEQUENCE:" + std::to_string(first) + "\n";
    if (discontinuities > 0)
        text += "#EXT-X-DISCONTINUITY-SEQUENCE:" + std::to_string(discontinuities) + "\n";
    if (media.ended)
        text += "#EXT-X-PLAYLIST-TYPE:VOD\n";
    if (!media.initUrl.empty())
        text += "#EXT-X-MAP:URI=\"" + prefix + "/init\"\n";
    char duration[32];
    bool gap = false;
    bool listed = false;
    for (std::size_t i = first; i < media.segments.size(); ++i) {
        if (!cached.empty() && (i >= cached.size() || !cached[i])) {
            gap = true;
            continue;
        }
        if (media.segments[i].discontinuity || (gap && listed))
            text += "#EXT-X-DISCONTINUITY\n";
        gap = false;
        listed = true;
        std::snprintf(duration, sizeof duration, "%.6f", media.segments[i].duration);
        text += "#EXTINF:" + std::string(duration) + ",\n" + prefix + "/s" + std::to_string(i) + "\n";
    }
    if (media.ended)
        text += "#EXT-X-ENDLIST\n";
    return text;
}

HlsResource ParseHlsResource(std::string_view rest)
{
    HlsResource resource;
    if (rest.empty()) {
        resource.kind = HlsResource::Playlist;
    } else if (rest == "/init") {
        resource.kind = HlsResource::Init;
    } else if (rest.starts_with("/s") && rest.size() > 2 && rest.size() <= 11) {
        int index = -1;
        const auto [end, error] = std::from_chars(rest.data() + 2, rest.data() + rest.size(), index);
        if (error == std::errc() && end == rest.data() + rest.size() && index >= 0) {
            resource.kind = HlsResource::Segment;
            resource.index = index;
        }
    }
    return resource;
}
