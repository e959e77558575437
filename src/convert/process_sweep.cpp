#include "convert/process_sweep.h"

#include <cctype>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <limits.h>
#include <unistd.h>

namespace convert {
namespace {

std::string ExecutableOf(const std::string& pid)
{
    char target[PATH_MAX];
    const std::string link = "/proc/" + pid + "/exe";
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return {};
    std::string path(target, static_cast<size_t>(n));
    // A program rebuilt while it runs shows as "... (deleted)".
    static constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        path.resize(path.size() - kDeleted.size());
    return path;
}

bool IsNumber(const char* text)
{
    for (; *text; ++text)
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            return false;
    return true;
}

}  // namespace

int TerminateProcessesRunning(const std::string& executable)
{
    std::error_code error;
    const std::string wanted = std::filesystem::weakly_canonical(executable, error).string();
    if (error || wanted.empty())
        return 0;
    DIR* proc = opendir("/proc");
    if (!proc)
        return 0;
    int signalled = 0;
    while (const dirent* entry = readdir(proc)) {
        if (!IsNumber(entry->d_name))
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(entry->d_name));
        if (pid == getpid() || ExecutableOf(entry->d_name) != wanted)
            continue;
        if (getpgid(pid) == pid)
            kill(-pid, SIGKILL);
        if (kill(pid, SIGKILL) == 0)
            ++signalled;
    }
    closedir(proc);
    return signalled;
}

}  // namespace convert
