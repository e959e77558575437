#pragma once
// The user's XDG base folders, as Qt reads them ($XDG_DATA_HOME or
// ~/.local/share, $XDG_CACHE_HOME or ~/.cache), without a trailing "/".
#include <string>

namespace platform {

std::string UserDataHome();
std::string UserCacheHome();

}  // namespace platform
