#pragma once
// Ends the program the orderly way on SIGINT, SIGTERM and SIGHUP: the
// signal is turned into a call on the user-interface thread's event loop,
// where the program runs the same exit as for its Exit command (settings
// saved, downloads stopped). A second signal while that exit runs ends the
// program at once, so a hung exit can still be interrupted.
#include <functional>

namespace platform {

// Installs the handlers; `quit` runs on the calling thread, which must run
// a Qt event loop. Call once.
void OnQuitSignals(std::function<void()> quit);

}  // namespace platform
