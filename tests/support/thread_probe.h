#pragma once
// What the threads of the test process are blocked in, read from
// /proc/self/task/<id>/syscall ("<number> <first argument> ...", x86-64
// numbers).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace test_support {

inline std::vector<std::string> ThreadSyscalls()
{
    std::vector<std::string> lines;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream syscall(task.path() / "syscall");
        std::string line;
        std::getline(syscall, line);
        lines.push_back(line);
    }
    return lines;
}

// Whether a thread is blocked reading the named pipe through a descriptor
// other than `except`.
inline bool SomeThreadReads(const std::string& path, int except)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::string> reads;  // "0 0x<fd> ": read(2) on that descriptor
    for (const auto& fd : fs::directory_iterator("/proc/self/fd", error)) {
        const std::string name = fd.path().filename().string();
        if (name != std::to_string(except) && fs::read_symlink(fd.path(), error) == fs::weakly_canonical(path, error)) {
            char hex[32];
            std::snprintf(hex, sizeof hex, "0 0x%x ", std::stoi(name));
            reads.emplace_back(hex);
        }
    }
    for (const std::string& line : ThreadSyscalls())
        for (const std::string& read : reads)
            if (line.starts_with(read))
                return true;
    return false;
}

// Whether a thread is blocked in openat(2) (a named pipe without a writer).
inline bool SomeThreadOpens()
{
    for (const std::string& line : ThreadSyscalls())
        if (line.starts_with("257 "))
            return true;
    return false;
}

// The ids of the threads blocked in openat(2) on `path` (a named pipe
// without its other end): the path argument is read from the process's
// own memory at the address the syscall line gives.
inline std::vector<long> ThreadsOpening(const std::string& path)
{
    std::vector<long> ids;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream syscall(task.path() / "syscall");
        unsigned long number = 0, directory = 0, address = 0;
        syscall >> number >> std::hex >> directory >> address;
        if (!syscall || number != 257)
            continue;
        std::ifstream memory("/proc/self/mem", std::ios::binary);
        memory.seekg(static_cast<std::streamoff>(address));
        std::string named;
        std::getline(memory, named, '\0');
        if (named == path)
            ids.push_back(std::stol(task.path().filename().string()));
    }
    return ids;
}

// Names the thread that writes a named pipe at `path`: the writer waits in
// open() until the watcher has named it, then the watcher reads the pipe
// empty, so the writer goes on. Without a writer within the bound the
// watcher ends with none named, so neither side hangs.
class PipeWriterWatch {
public:
    explicit PipeWriterWatch(std::string path, std::chrono::seconds bound = std::chrono::seconds(20))
        : path_(std::move(path)), thread_([this, bound] { Watch(bound); })
    {
    }
    ~PipeWriterWatch() { Join(); }
    bool Drained() const { return drained_; }
    void Join()
    {
        if (thread_.joinable())
            thread_.join();
    }
    long Writer() const { return writer_; }

private:
    void Watch(std::chrono::seconds bound)
    {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (writer_ == 0 && std::chrono::steady_clock::now() < until) {
            if (const std::vector<long> ids = ThreadsOpening(path_); !ids.empty())
                writer_ = ids.front();
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(2));  // poll with a bound
        }
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | (writer_ == 0 ? O_NONBLOCK : 0));
        char buffer[65536];
        while (fd >= 0 && ::read(fd, buffer, sizeof buffer) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
        drained_ = true;
    }

    std::string path_;
    std::atomic<long> writer_{0};
    std::atomic<bool> drained_{false};
    std::thread thread_;
};

}  // namespace test_support
