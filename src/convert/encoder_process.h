#pragma once
// Runs the encoder program with an argument vector (never through a shell),
// reads its console output through a pipe and reports progress, stopping it
// when the cancel flag is raised.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace convert {

struct EncoderOutcome {
    bool started = false;
    bool cancelled = false;
    int exitCode = -1;     // 128 + signal number when it was killed
    bool reportedRate = false;
    std::string lastOutput;  // the encoder's final lines, for the log

    bool Succeeded() const { return started && !cancelled && exitCode == 0; }
};

EncoderOutcome RunEncoder(const std::string& program, const std::vector<std::string>& args,
                          const std::atomic<int>& cancel, const std::function<void(float)>& onRate);

}  // namespace convert
