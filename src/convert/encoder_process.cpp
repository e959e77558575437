#include "convert/encoder_process.h"

#include "convert/progress_parser.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace convert {
namespace {

constexpr size_t kBlockSize = 1024;
// How often a silent encoder is checked for cancellation.
constexpr int kCancelPollMs = 100;
constexpr size_t kKeptOutput = 2048;

pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int outputFd)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 2);

    // Its own process group, so that a cancel stops the encoder together
    // with the ffmpeg it runs; default signal handling, whatever the host
    // program ignores.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

EncoderOutcome RunEncoder(const std::string& program, const std::vector<std::string>& args,
                          const std::atomic<int>& cancel, const std::function<void(float)>& onRate)
{
    EncoderOutcome outcome;
    if (cancel.load())
        return outcome;
    // Close-on-exec: an encoder started at the same time by another object
    // must not hold this pipe open.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return outcome;
    const pid_t pid = Spawn(program, args, pipeFds[1]);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return outcome;
    }
    outcome.started = true;

    ProgressParser parser;
    char block[kBlockSize];
    for (;;) {
        if (cancel.load()) {
            outcome.cancelled = true;
            break;
        }
        pollfd fd = {pipeFds[0], POLLIN, 0};
        const int ready = poll(&fd, 1, kCancelPollMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        const ssize_t n = read(pipeFds[0], block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const std::string_view text(block, static_cast<size_t>(n));
        outcome.lastOutput.append(text);
        if (outcome.lastOutput.size() > kKeptOutput)
            outcome.lastOutput.erase(0, outcome.lastOutput.size() - kKeptOutput);
        if (const auto rate = parser.Feed(text)) {
            outcome.reportedRate = true;
            onRate(*rate);
        }
        if (cancel.load()) {
            outcome.cancelled = true;
            break;
        }
    }
    if (outcome.cancelled) {
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
    }
    close(pipeFds[0]);
    outcome.exitCode = WaitExit(pid);
    return outcome;
}

}  // namespace convert
