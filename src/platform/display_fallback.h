#pragma once
// Without a display (neither DISPLAY nor WAYLAND_DISPLAY set, and no Qt
// platform chosen in QT_QPA_PLATFORM) Qt cannot open a window and aborts.
// The program then runs offscreen instead: "quelt uninstall" from a server's
// terminal works, and a play still serves its loopback play URL.

namespace platform {

// Call before the application object exists. True when it chose offscreen.
bool UseOffscreenWithoutDisplay();

}  // namespace platform
