#pragma once
// Copies a file in chunks, reporting the share copied after each chunk and
// stopping when asked. The copy goes to a hidden sibling first and takes the
// destination's name only when complete, so a cancelled or failed copy
// leaves no partial file and keeps a file that had that name before.
#include <atomic>
#include <functional>
#include <string>

namespace convert {

bool CopyFileWithProgress(const std::string& source, const std::string& destination,
                          const std::atomic<int>* cancel, const std::function<void(float)>& onRate);

// Renames, or copies and deletes when the two lie on different file systems.
bool MoveFile(const std::string& from, const std::string& to);
// The mode a file the user saves gets: 0666 less the process's umask, read
// without changing it (other threads may be creating files meanwhile).
unsigned UserFileMode();

}  // namespace convert
