#pragma once
// Starts a program with pipes on its standard output and standard error and
// waits for it; small POSIX wrappers for coder.
#include <string>
#include <sys/types.h>
#include <vector>

namespace coder {

struct Child {
    pid_t pid = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
};

// Starts program (looked up in PATH) with args; stdin is /dev/null. The child
// is killed when coder dies, so that a cancelled conversion leaves no ffmpeg
// behind. pid -1 when it could not start.
Child StartChild(const std::string& program, const std::vector<std::string>& args);

// Runs program to its end and returns what it wrote on standard output.
std::string CaptureOutput(const std::string& program, const std::vector<std::string>& args);

// Waits for the child; returns its exit code, or 128 + signal number.
int WaitChild(pid_t pid);

}  // namespace coder
