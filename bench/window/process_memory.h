#pragma once
// Resident memory of a process and of the processes below it (the
// QtWebEngineProcess helpers the browser views start), read from /proc.
#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct ProcessStatus {
    long rssKib = 0;
    pid_t parent = 0;
};

inline ProcessStatus ReadProcessStatus(pid_t pid)
{
    ProcessStatus status;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("VmRSS:"))
            status.rssKib = std::atol(line.c_str() + 6);
        else if (line.starts_with("PPid:"))
            status.parent = std::atoi(line.c_str() + 5);
    }
    return status;
}

// The process alone, in KiB.
inline long ProcessRssKib(pid_t pid)
{
    return ReadProcessStatus(pid).rssKib;
}

struct TreeMemory {
    long rssKib = 0;      // the root and all its descendants
    int descendants = 0;  // how many processes below the root were counted
};

// The root and every process that descends from it.
inline TreeMemory TreeRss(pid_t root)
{
    std::map<pid_t, ProcessStatus> all;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = std::atoi(name.c_str());
        all[pid] = ReadProcessStatus(pid);
    }
    TreeMemory tree;
    for (const auto& [pid, status] : all) {
        if (pid == root) {
            tree.rssKib += status.rssKib;
            continue;
        }
        // Walk up the parents; a process descends from root when it meets it.
        for (pid_t at = status.parent; at > 1;) {
            if (at == root) {
                tree.rssKib += status.rssKib;
                ++tree.descendants;
                break;
            }
            const auto up = all.find(at);
            if (up == all.end() || up->second.parent == at)
                break;
            at = up->second.parent;
        }
    }
    return tree;
}

inline long TreeRssKib(pid_t root)
{
    return TreeRss(root).rssKib;
}

}  // namespace bench
