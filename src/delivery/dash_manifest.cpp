#include "delivery/dash_manifest.h"

#include "delivery/dash_sidx.h"
#include "delivery/hls_playlist.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>

namespace {

// Element and attribute names without their namespace prefix.
bool NameIs(const pugi::xml_node& node, const char* name)
{
    const char* full = node.name();
    const char* colon = std::strrchr(full, ':');
    return std::strcmp(colon ? colon + 1 : full, name) == 0;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* name)
{
    for (pugi::xml_node child : node.children())
        if (NameIs(child, name))
            return child;
    return {};
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& node, const char* name)
{
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child : node.children())
        if (NameIs(child, name))
            found.push_back(child);
    return found;
}

std::string WithBase(const std::string& base, const pugi::xml_node& node)
{
    const pugi::xml_node baseUrl = Child(node, "BaseURL");
    return baseUrl ? ResolveUrl(base, baseUrl.text().as_string()) : base;
}

// The segment addressing of one representation, gathered from the period,
// the adaptation set and the representation (the deeper one wins).
struct Addressing {
    bool isTemplate = false;
    bool isList = false;
    bool isBase = false;
    std::uint64_t timescale = 1;
    std::uint64_t duration = 0;
    std::uint64_t startNumber = 1;
    std::optional<std::uint64_t> endNumber;
    std::uint64_t presentationTimeOffset = 0;
    bool hasInit = false;        // an Initialization element, or a template's pattern
    std::string initialization;  // template pattern, or the Initialization's sourceURL
    std::string initRange;       // the Initialization's range
    std::string indexRange;      // SegmentBase: where the file's segment index lies
    std::string media;
    pugi::xml_node timeline;
    std::vector<pugi::xml_node> segmentUrls;
};

void Gather(const pugi::xml_node& level, Addressing& addressing)
{
    const pugi::xml_node segmentTemplate = Child(level, "SegmentTemplate");
    const pugi::xml_node segmentList = Child(level, "SegmentList");
    const pugi::xml_node segmentBase = Child(level, "SegmentBase");
    const pugi::xml_node multiple = segmentTemplate ? segmentTemplate : segmentList ? segmentList : segmentBase;
    if (!multiple)
        return;
    addressing.isTemplate |= static_cast<bool>(segmentTemplate);
    addressing.isList |= static_cast<bool>(segmentList);
    addressing.isBase |= static_cast<bool>(segmentBase);
    if (const pugi::xml_attribute a = multiple.attribute("indexRange"))
        addressing.indexRange = a.as_string();
    if (const pugi::xml_attribute a = multiple.attribute("timescale"))
        addressing.timescale = std::max<std::uint64_t>(1, a.as_ullong());
    if (const pugi::xml_attribute a = multiple.attribute("duration"))
        addressing.duration = a.as_ullong();
    if (const pugi::xml_attribute a = multiple.attribute("startNumber"))
        addressing.startNumber = a.as_ullong();
    if (const pugi::xml_attribute a = multiple.attribute("endNumber"))
        addressing.endNumber = a.as_ullong();
    if (const pugi::xml_attribute a = multiple.attribute("presentationTimeOffset"))
        addressing.presentationTimeOffset = a.as_ullong();
    if (const pugi::xml_attribute a = segmentTemplate.attribute("initialization")) {
        addressing.initialization = a.as_string();
        addressing.hasInit = !addressing.initialization.empty();
    }
    if (const pugi::xml_attribute a = segmentTemplate.attribute("media"))
        addressing.media = a.as_string();
    if (const pugi::xml_node init = Child(multiple, "Initialization")) {
        // Without a sourceURL the init section is a range of the representation's file.
        addressing.hasInit = true;
        addressing.initialization = init.attribute("sourceURL").as_string();
        addressing.initRange = init.attribute("range").as_string();
    }
    if (const pugi::xml_node timeline = Child(multiple, "SegmentTimeline"))
        addressing.timeline = timeline;
    if (segmentList) {
        const std::vector<pugi::xml_node> urls = Children(segmentList, "SegmentURL");
        if (!urls.empty())
            addressing.segmentUrls = urls;
    }
}

// The start and duration of every segment, in the timescale: from the
// timeline (r="-1" repeats to the period's end), else @duration over the
// period (or up to @endNumber, or as many as the list names).
std::vector<std::pair<std::uint64_t, std::uint64_t>> Times(const Addressing& addressing, double periodSeconds)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> times;
    const auto periodEnd =
        static_cast<std::uint64_t>(std::llround(periodSeconds * static_cast<double>(addressing.timescale)))
        + addressing.presentationTimeOffset;
    if (addressing.timeline) {
        std::uint64_t next = 0;
        const std::vector<pugi::xml_node> entries = Children(addressing.timeline, "S");
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const pugi::xml_node& s = entries[i];
            if (const pugi::xml_attribute t = s.attribute("t"))
                next = t.as_ullong();
            const std::uint64_t d = s.attribute("d").as_ullong();
            if (d == 0)
                break;
            long long repeat = s.attribute("r").as_llong();
            if (repeat < 0) {
                const pugi::xml_attribute nextT = i + 1 < entries.size() ? entries[i + 1].attribute("t") : pugi::xml_attribute();
                const std::uint64_t end = nextT ? nextT.as_ullong() : periodEnd;
                repeat = end > next ? static_cast<long long>((end - next + d - 1) / d) - 1 : 0;
            }
            for (long long k = 0; k <= repeat && times.size() < 1000000; ++k) {
                times.emplace_back(next, d);
                next += d;
            }
        }
        return times;
    }
    if (addressing.duration == 0)
        return times;
    std::uint64_t count = 0;
    if (!addressing.segmentUrls.empty())
        count = addressing.segmentUrls.size();
    else if (addressing.endNumber && *addressing.endNumber >= addressing.startNumber)
        count = *addressing.endNumber - addressing.startNumber + 1;
    else
        count = static_cast<std::uint64_t>(
            std::ceil(periodSeconds * static_cast<double>(addressing.timescale) / static_cast<double>(addressing.duration)
                      - 1e-9));
    for (std::uint64_t i = 0; i < count && i < 1000000; ++i)
        times.emplace_back(addressing.presentationTimeOffset + i * addressing.duration, addressing.duration);
    return times;
}

bool IsKind(const pugi::xml_node& set, const pugi::xml_node& representation, const char* kind)
{
    const std::string contentType = set.attribute("contentType").as_string();
    if (!contentType.empty())
        return contentType == kind;
    std::string mime = representation.attribute("mimeType").as_string();
    if (mime.empty())
        mime = set.attribute("mimeType").as_string();
    return mime.starts_with(std::string(kind) + "/");
}

bool HasProtection(const pugi::xml_node& node)
{
    if (Child(node, "ContentProtection"))
        return true;
    for (pugi::xml_node child : node.children())
        if (HasProtection(child))
            return true;
    return false;
}

// The init section named by an Initialization element (or a template's
// pattern, expanded by the caller): its own file, or a range of base.
void ReadInitialization(const Addressing& addressing, const std::string& base, DashTrack& track, bool& unsupported)
{
    if (!addressing.hasInit)
        return;
    track.initUrl = ResolveUrl(base, addressing.initialization);
    if (!addressing.initRange.empty()) {
        track.initRange = ParseByteRange(addressing.initRange);
        unsupported |= !track.initRange.set;
    }
}

// SegmentBase: one file (base) whose segments its index at indexRange
// names; they are known once ApplyDashIndex has read it. The init section
// is its Initialization, else whatever precedes the index (ftyp and moov).
void ReadSegmentBase(const Addressing& addressing, const std::string& base, DashTrack& track, bool& unsupported)
{
    track.indexRange = ParseByteRange(addressing.indexRange);
    if (!addressing.isBase || !track.indexRange.set) {
        unsupported = true;  // a single file without an index
        return;
    }
    track.indexUrl = base;
    if (addressing.hasInit) {
        ReadInitialization(addressing, base, track, unsupported);
    } else if (track.indexRange.first > 0) {
        track.initUrl = base;
        track.initRange = ByteRange{true, 0, track.indexRange.first - 1};
    } else {
        unsupported = true;
    }
}

// The track of one representation, its segment addresses expanded.
DashTrack ReadTrack(const pugi::xml_node& period, const pugi::xml_node& set, const pugi::xml_node& representation,
                    const std::string& setBase, double periodSeconds, bool& unsupported)
{
    DashTrack track;
    track.representationId = representation.attribute("id").as_string();
    track.bandwidth = representation.attribute("bandwidth").as_llong();
    const std::string base = WithBase(setBase, representation);
    Addressing addressing;
    Gather(period, addressing);
    Gather(set, addressing);
    Gather(representation, addressing);
    track.timescale = addressing.timescale;
    track.presentationTimeOffset = addressing.presentationTimeOffset;
    if (!addressing.isTemplate && !addressing.isList) {
        ReadSegmentBase(addressing, base, track, unsupported);
        return track;
    }
    const auto times = Times(addressing, periodSeconds);
    if (addressing.isTemplate) {
        if (!addressing.initialization.empty())
            track.initUrl = ResolveUrl(
                base, ExpandDashTemplate(addressing.initialization, track.representationId, track.bandwidth, 0, 0));
        for (std::size_t i = 0; i < times.size(); ++i)
            track.segments.push_back(DashSegment{
                ResolveUrl(base, ExpandDashTemplate(addressing.media, track.representationId, track.bandwidth,
                                                    addressing.startNumber + i, times[i].first)),
                times[i].first, times[i].second});
    } else {
        ReadInitialization(addressing, base, track, unsupported);
        for (std::size_t i = 0; i < addressing.segmentUrls.size() && i < times.size(); ++i) {
            // A SegmentURL without media is a range of the representation's file.
            const pugi::xml_node& segmentUrl = addressing.segmentUrls[i];
            DashSegment segment{ResolveUrl(base, segmentUrl.attribute("media").as_string()), times[i].first,
                                times[i].second, {}};
            if (const pugi::xml_attribute mediaRange = segmentUrl.attribute("mediaRange")) {
                segment.range = ParseByteRange(mediaRange.as_string());
                unsupported |= !segment.range.set;
            }
            track.segments.push_back(std::move(segment));
        }
        if (addressing.segmentUrls.size() != times.size())
            unsupported = true;
    }
    if (track.segments.empty())
        unsupported = true;
    return track;
}

std::string Number(std::uint64_t value)
{
    return std::to_string(value);
}

}  // namespace

bool DashManifest::IsPlayable() const
{
    if (!valid || dynamic || protectedContent || unsupported || tracks.empty())
        return false;
    for (const DashTrack& track : tracks)
        if (track.segments.empty())
            return false;
    return true;
}

bool DashManifest::AwaitsIndex() const
{
    if (!valid || dynamic || protectedContent || unsupported || tracks.empty())
        return false;
    bool awaits = false;
    for (const DashTrack& track : tracks) {
        if (::AwaitsIndex(track))
            awaits = true;
        else if (track.segments.empty())
            return false;
    }
    return awaits;
}

bool AwaitsIndex(const DashTrack& track)
{
    return track.indexRange.set && track.segments.empty();
}

bool ApplyDashIndex(DashTrack& track, std::string_view indexBytes)
{
    if (!AwaitsIndex(track))
        return false;
    const SidxIndex index = ParseSidx(indexBytes, track.indexRange.first);
    if (!index.valid)
        return false;
    // The segments' times are the index's; the offset, given in the
    // manifest's timescale, follows them into it.
    track.presentationTimeOffset = static_cast<std::uint64_t>(
        std::llround(static_cast<double>(track.presentationTimeOffset) * index.timescale / track.timescale));
    track.timescale = index.timescale;
    for (const SidxReference& reference : index.references)
        track.segments.push_back(
            DashSegment{track.indexUrl, reference.time, reference.duration, ByteRange{true, reference.first, reference.last}});
    return true;
}

ByteRange ParseByteRange(std::string_view text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == text.size())
        return {};
    const auto number = [](std::string_view digits, std::uint64_t& value) {
        value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || value > (UINT64_MAX - 9) / 10)
                return false;
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return true;
    };
    ByteRange range;
    if (!number(text.substr(0, dash), range.first) || !number(text.substr(dash + 1), range.last)
        || range.last < range.first)
        return {};
    range.set = true;
    return range;
}

double ParseIsoDuration(std::string_view text)
{
    if (text.empty() || text.front() != 'P')
        return 0;
    double total = 0;
    bool inTime = false;
    std::size_t at = 1;
    while (at < text.size()) {
        if (text[at] == 'T') {
            inTime = true;
            ++at;
            continue;
        }
        const std::string rest(text.substr(at));
        char* end = nullptr;
        const double value = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str() || !*end)
            return 0;
        at += static_cast<std::size_t>(end - rest.c_str()) + 1;
        switch (*end) {
        case 'Y': total += value * 365 * 86400; break;
        case 'D': total += value * 86400; break;
        case 'H': total += value * 3600; break;
        case 'M': total += inTime ? value * 60 : value * 30 * 86400; break;
        case 'S': total += value; break;
        default: return 0;
        }
    }
    return total;
}

std::string ExpandDashTemplate(std::string_view pattern, const std::string& representationId,
                               std::int64_t bandwidth, std::uint64_t number, std::uint64_t time)
{
    std::string out;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t open = pattern.find('$', at);
        if (open == std::string_view::npos) {
            out += pattern.substr(at);
            break;
        }
        out += pattern.substr(at, open - at);
        const std::size_t close = pattern.find('$', open + 1);
        if (close == std::string_view::npos) {
            out += pattern.substr(open);
            break;
        }
        const std::string_view tag = pattern.substr(open + 1, close - open - 1);
        at = close + 1;
        if (tag.empty()) {
            out += '$';
            continue;
        }
        const std::size_t percent = tag.find('%');
        const std::string_view name = tag.substr(0, percent);
        int width = 0;
        if (percent != std::string_view::npos) {
            const std::string format(tag.substr(percent + 1));
            width = std::atoi(format.c_str());  // "05d" → 5
        }
        std::string value;
        if (name == "RepresentationID")
            value = representationId;
        else if (name == "Number")
            value = Number(number);
        else if (name == "Bandwidth")
            value = Number(static_cast<std::uint64_t>(bandwidth));
        else if (name == "Time")
            value = Number(time);
        else {
            out += pattern.substr(open, close - open + 1);  // not an identifier: kept as written
            continue;
        }
        if (static_cast<int>(value.size()) < width && name != "RepresentationID")
            value.insert(0, static_cast<std::size_t>(width) - value.size(), '0');
        out += value;
    }
    return out;
}

DashManifest ParseDashManifest(std::string_view text, const std::string& url)
{
    DashManifest manifest;
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size()))
        return manifest;
    const pugi::xml_node mpd = document.document_element();
    if (!NameIs(mpd, "MPD"))
        return manifest;
    const pugi::xml_node period = Child(mpd, "Period");
    if (!period)
        return manifest;
    manifest.valid = true;
    manifest.dynamic = std::string_view(mpd.attribute("type").as_string()) == "dynamic";
    manifest.protectedContent = HasProtection(period);
    manifest.duration = period.attribute("duration")
                            ? ParseIsoDuration(period.attribute("duration").as_string())
                            : ParseIsoDuration(mpd.attribute("mediaPresentationDuration").as_string())
                                  - ParseIsoDuration(period.attribute("start").as_string());
    const std::string periodBase = WithBase(WithBase(url, mpd), period);

    // The video and the audio of highest bandwidth (the first of equals).
    struct Pick {
        pugi::xml_node set, representation;
        std::size_t setIndex = 0, representationIndex = 0;
        std::int64_t bandwidth = -1;
    };
    Pick best[2];
    const std::vector<pugi::xml_node> sets = Children(period, "AdaptationSet");
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const std::vector<pugi::xml_node> representations = Children(sets[s], "Representation");
        for (std::size_t r = 0; r < representations.size(); ++r)
            for (int kind = 0; kind < 2; ++kind) {
                const std::int64_t bandwidth = representations[r].attribute("bandwidth").as_llong();
                if (IsKind(sets[s], representations[r], kind == 0 ? "video" : "audio") && bandwidth > best[kind].bandwidth)
                    best[kind] = Pick{sets[s], representations[r], s, r, bandwidth};
            }
    }
    for (int kind = 0; kind < 2; ++kind) {
        if (!best[kind].representation)
            continue;
        DashTrack track = ReadTrack(period, best[kind].set, best[kind].representation,
                                    WithBase(periodBase, best[kind].set), manifest.duration, manifest.unsupported);
        track.video = kind == 0;
        track.adaptationSet = best[kind].setIndex;
        track.representation = best[kind].representationIndex;
        manifest.tracks.push_back(std::move(track));
    }
    return manifest;
}

std::vector<DashEntry> DashEntries(const DashManifest& manifest)
{
    std::vector<DashEntry> entries;
    for (const DashTrack& track : manifest.tracks) {
        if (!track.initUrl.empty())
            entries.push_back(DashEntry{track.initUrl, track.initRange});
        for (const DashSegment& segment : track.segments)
            entries.push_back(DashEntry{segment.url, segment.range});
    }
    return entries;
}

std::vector<std::string> DashEntryUrls(const DashManifest& manifest)
{
    std::vector<std::string> urls;
    for (DashEntry& entry : DashEntries(manifest))
        urls.push_back(std::move(entry.url));
    return urls;
}

std::string BuildLocalMpd(std::string_view text, const DashManifest& manifest, const std::string& prefix)
{
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size()))
        return {};
    pugi::xml_node mpd = document.document_element();
    pugi::xml_node period = Child(mpd, "Period");
    // One period, its addressing replaced, and nothing that leads to the site.
    for (pugi::xml_node extra = period.next_sibling(); extra;) {
        const pugi::xml_node next = extra.next_sibling();
        if (NameIs(extra, "Period"))
            mpd.remove_child(extra);
        extra = next;
    }
    for (const char* name : {"BaseURL", "Location", "PatchLocation", "UTCTiming"})
        while (const pugi::xml_node node = Child(mpd, name))
            mpd.remove_child(node);
    for (const char* name : {"BaseURL", "SegmentTemplate", "SegmentList", "SegmentBase"})
        while (const pugi::xml_node node = Child(period, name))
            period.remove_child(node);

    std::size_t entry = 0;
    std::vector<std::pair<pugi::xml_node, const DashTrack*>> kept;
    const std::vector<pugi::xml_node> sets = Children(period, "AdaptationSet");
    for (const DashTrack& track : manifest.tracks) {
        if (track.adaptationSet >= sets.size())
            return {};
        const std::vector<pugi::xml_node> representations = Children(sets[track.adaptationSet], "Representation");
        if (track.representation >= representations.size())
            return {};
        kept.emplace_back(representations[track.representation], &track);
    }
    for (pugi::xml_node node : sets) {
        bool used = false;
        for (pugi::xml_node representation : Children(node, "Representation")) {
            bool chosen = false;
            for (const auto& [keptNode, track] : kept)
                chosen |= keptNode == representation;
            if (!chosen)
                node.remove_child(representation);
            used |= chosen;
        }
        if (!used) {
            period.remove_child(node);
            continue;
        }
        for (const char* name : {"BaseURL", "SegmentTemplate", "SegmentList", "SegmentBase"})
            while (const pugi::xml_node child = Child(node, name))
                node.remove_child(child);
    }
    for (const auto& [constNode, track] : kept) {
        pugi::xml_node representation = constNode;
        for (const char* name : {"BaseURL", "SegmentTemplate", "SegmentList", "SegmentBase"})
            while (const pugi::xml_node child = Child(representation, name))
                representation.remove_child(child);
        pugi::xml_node segmentTemplate = representation.append_child("SegmentTemplate");
        segmentTemplate.append_attribute("timescale") = Number(track->timescale).c_str();
        if (track->presentationTimeOffset)
            segmentTemplate.append_attribute("presentationTimeOffset") = Number(track->presentationTimeOffset).c_str();
        if (!track->initUrl.empty())
            segmentTemplate.append_attribute("initialization") = (prefix + "/s" + Number(entry++)).c_str();
        segmentTemplate.append_attribute("media") = (prefix + "/s$Number$").c_str();
        segmentTemplate.append_attribute("startNumber") = Number(entry).c_str();
        pugi::xml_node timeline = segmentTemplate.append_child("SegmentTimeline");
        for (const DashSegment& segment : track->segments) {
            pugi::xml_node s = timeline.append_child("S");
            s.append_attribute("t") = Number(segment.time).c_str();
            s.append_attribute("d") = Number(segment.duration).c_str();
        }
        entry += track->segments.size();
    }
    std::ostringstream out;
    document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}
