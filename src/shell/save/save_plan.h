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

// What a save request takes of a video: the file that holds it whole and
// the name to save it under (a local file's own name without extension, a
// complete cache's title made safe). Nothing for a video that is not whole
// yet. video is the source's play-list record (null when not listed).
std::optional<std::pair<std::string, std::string>> SaveItemOf(const VideoSource& source, const InfoVideo* video);
