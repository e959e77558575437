#pragma once
// The save-video dialog's rules without a display: the offered formats in
// the order the list shows them, titles made safe as file names, the
// default save folder, and a destination that never overwrites a file.
#include <optional>
#include <string>
#include <utility>
#include <vector>

class InfoVideo;
struct VideoSource;

struct OfferedFormat {
    int format;    // the conversion library's format number
    int stringId;  // its display text
};

// The list's order: "FLV格式" (29) first, "MPEG  清晰" (1) last.
const std::vector<OfferedFormat>& OfferedFormats();

// Each of \ / : * ? " < > | becomes "_"; so do line breaks and other
// control characters. Leading and trailing blanks and dots go, the name is
// cut to at most 200 bytes without splitting a character, and an empty
// name becomes "video".
std::string MakeSafeFileName(const std::string& title);

// The folder as the setting names it, without trailing slashes; an empty
// setting gives documentsFolder + "/MyFLVVideo".
std::string ChooseSaveFolder(const std::string& setting, const std::string& documentsFolder);

// folder/name, or folder/"name (2)", "name (3)"... when folder/name +
// extension is taken: the base the library adds the extension to.
std::string UniqueDestination(const std::string& folder, const std::string& name, const std::string& extension);

// The extension the library gives a format's result (".flv" for the copy).
std::string ExtensionOfFormat(int format);

// What a save takes of a video: the file that holds it whole, or the
// files of a segmented video (HLS, DASH) per track, which the conversion
// library joins into one MP4 first; and the name to save it under.
struct SaveItem {
    std::string source;
    std::string name;
    std::vector<std::vector<std::string>> tracks;
    bool operator==(const SaveItem&) const = default;
};

// Whether a video can be saved now: the item when it is whole (a local
// file's own name without extension, a complete cache's or a complete
// segmented video's title made safe); else nothing, and for a segmented
// video how many of its segments are not cached yet.
struct SaveDecision {
    std::optional<SaveItem> item;
    std::size_t missingSegments = 0;
    std::size_t segmentCount = 0;
};
// video is the source's play-list record (null when not listed).
SaveDecision DecideSave(const VideoSource& source, const InfoVideo* video);

// The message of a refused segmented video: how many segments are missing.
std::string FormatMissingSegments(const SaveDecision& decision);

// The format a save uses: a segmented video is joined into an MP4, so its
// plain copy is an MP4 copy rather than an FLV one.
int SaveFormatOf(int format, const SaveItem& item);
