#pragma once
// A quiet terminal: the program's own lines ("quelt: ...") and its real
// problems, without the browser engine's start-up dump, its D-Bus
// complaints and the console messages of the pages it opens. The user
// asks for all of it with QUELT_DEBUG=1 or --verbose.
#include <string>

namespace platform {

// Whether the engine's messages are wanted: the --verbose argument, or
// QUELT_DEBUG set to anything but "" or "0".
bool WantsVerboseTerminal(bool verboseArgument);

// Call before the application object exists. Unless verbose, the browser
// engine logs only fatal errors, and Qt's messages that are known noise
// are dropped; all others still reach the terminal.
void QuietTerminal(bool verbose);

// Whether a Qt message (its logging category and text) is known noise.
bool IsTerminalNoise(const std::string& category, const std::string& text);

}  // namespace platform
