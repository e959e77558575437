#pragma once
// Stops every process of this user that runs a given executable, with the
// process group it leads (the encoder and the ffmpeg it started).
#include <string>

namespace convert {

// Returns how many processes were signalled.
int TerminateProcessesRunning(const std::string& executable);

}  // namespace convert
