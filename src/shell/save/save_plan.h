#pragma once
// The save-video dialog's rules without a display: the offered formats in
// the order the list shows them, titles made safe as file names, the
// default save folder, and a destination that never overwrites a file.
#include <string>
#include <vector>

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
