#include "platform/display_fallback.h"

#include <cstdlib>

namespace platform {

namespace {

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

}  // namespace

bool UseOffscreenWithoutDisplay()
{
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return false;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
}

}  // namespace platform
