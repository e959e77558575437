#pragma once
// Replacing a file so that it is always either the old or the new version.
#include <string>
#include <string_view>

struct FileWriteResult {
    bool ok = false;
    std::string error;  // why it failed, for the log; empty on success
};

// Writes bytes to a sibling file (path + ".part"), flushes it to the disk and
// renames it over path. A crash, a kill or a full disk at any moment leaves
// path untouched or fully replaced; on failure the sibling is removed and
// path keeps its old content. Empty bytes are refused.
//
// Durability::Replaced skips the flushes: a kill still finds the old or the
// new file, but a power cut may lose the new one. For caches that can be
// fetched again, where the flushes would only stall the caller.
enum class Durability { OnDisk, Replaced };
FileWriteResult ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                                      Durability durability = Durability::OnDisk);
