#pragma once
// What the threads of the test process are blocked in, read from
// /proc/self/task/<id>/syscall ("<number> <first argument> ...", x86-64
// numbers).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

}  // namespace test_support
