#pragma once
// Temporary names for the copies of paths with blanks: the system's
// temporary folder + a random number + "_" + a process-wide counter (1..10000),
// the counter guarded by a lock so that objects converting at the same time
// never share a name.
#include <string>

namespace convert {

std::string TempFolder();  // with a trailing "/"
std::string NewTempBase();

// Creates path empty and exclusively (no existing file or link is reused).
bool CreateExclusive(const std::string& path);

// A new temp base whose base + extension did not exist and now exists,
// empty, owned by this process. Empty text when none could be made.
std::string ReserveTempFile(const std::string& extension);

}  // namespace convert
