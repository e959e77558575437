#pragma once
// The media library that the iTunes formats feed: the result is added to the
// user's music folder (audio) or videos folder (video) as the XDG user
// directories name them, so that the desktop's players find it there.
#include "convert/convert_formats.h"

#include <string>

namespace convert {

// XDG_MUSIC_DIR / XDG_VIDEOS_DIR from the environment, else from
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else ~/Music or
// ~/Videos. Empty when there is no home folder.
std::string MediaLibraryFolder(LibraryKind kind);

// Copies the file into the folder (created when missing) under its own name,
// or "name (2).ext" and so on when that name is taken. Returns the new path,
// empty on failure.
std::string AddToMediaLibrary(const std::string& file, LibraryKind kind);

}  // namespace convert
