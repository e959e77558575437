#include "shell/save/save_plan.h"

#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "convert/convert_formats.h"
#include "delivery/hls_stream.h"
#include "records/info_video.h"
#include "shell/player/video_source.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

const std::vector<OfferedFormat>& OfferedFormats()
{
    // Inserted at the top one after the other, so shown in reverse.
    static const std::vector<OfferedFormat> formats = {
        {29, 30090}, {27, 30089}, {26, 30088}, {25, 30087}, {24, 30084}, {21, 30082}, {20, 30081}, {18, 30080},
        {16, 30078}, {15, 30077}, {14, 30076}, {13, 30072}, {12, 30069}, {11, 30068}, {10, 30067}, {9, 30066},
        {8, 30065},  {7, 30064},  {6, 30063},  {5, 30062},  {4, 30061},  {2, 30060},  {1, 30059},
    };
    return formats;
}

std::string MakeSafeFileName(const std::string& title)
{
    constexpr std::size_t kMaxBytes = 200;
    std::string name;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        const bool reserved = std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        name += (reserved || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    const auto isTrimmed = [](char c) { return c == ' ' || c == '.'; };
    while (!name.empty() && isTrimmed(name.back()))
        name.pop_back();
    std::size_t start = 0;
    while (start < name.size() && isTrimmed(name[start]))
        ++start;
    name.erase(0, start);
    if (name.size() > kMaxBytes) {
        std::size_t cut = kMaxBytes;
        // Back to the start of a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return name.empty() ? "video" : name;
}

std::string ChooseSaveFolder(const std::string& setting, const std::string& documentsFolder)
{
    std::string folder = setting.empty() ? documentsFolder + "/MyFLVVideo" : setting;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

std::string UniqueDestination(const std::string& folder, const std::string& name, const std::string& extension)
{
    std::error_code error;
    std::string base = folder + "/" + name;
    for (int n = 2; std::filesystem::exists(base + extension, error); ++n)
        base = folder + "/" + name + " (" + std::to_string(n) + ")";
    return base;
}

std::string ExtensionOfFormat(int format)
{
    if (format == convert::kCopyFlvFormat)
        return ".flv";
    if (format == convert::kCopyMp4Format)
        return ".mp4";
    const convert::FormatPreset* preset = convert::FindPreset(format);
    return preset ? preset->extension : "";
}

SaveDecision DecideSave(const VideoSource& source, const InfoVideo* video)
{
    SaveDecision decision;
    if (source.kind == VideoSource::LocalFile) {
        decision.item = SaveItem{source.file, std::filesystem::path(source.file).stem().string(), {}};
    } else if (source.kind == VideoSource::CompleteCache && video) {
        decision.item = SaveItem{source.file, MakeSafeFileName(video->a1), {}};
    } else if (source.kind == VideoSource::Manifest && video) {
        SegmentedCache cache = ReadSegmentedCache(*video);
        decision.segmentCount = cache.count;
        decision.missingSegments = cache.known ? cache.missing : 0;
        if (cache.IsComplete())
            decision.item = SaveItem{{}, MakeSafeFileName(video->a1), std::move(cache.tracks)};
    }
    return decision;
}

std::string FormatMissingSegments(const SaveDecision& decision)
{
    char text[256];
    std::snprintf(text, sizeof text, LoadString(IDS_SAVE_SEGMENTS_MISSING).c_str(),
                  static_cast<int>(decision.missingSegments), static_cast<int>(decision.segmentCount));
    return text;
}

int SaveFormatOf(int format, const SaveItem& item)
{
    return !item.tracks.empty() && format == convert::kCopyFlvFormat ? convert::kCopyMp4Format : format;
}
