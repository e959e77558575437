#include "convert/file_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace convert {
namespace {

constexpr size_t kChunkSize = 256 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string PartName(const std::string& destination)
{
    const auto slash = destination.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
    return folder + "." + name + ".XXXXXX.part";
}

}  // namespace

bool CopyFileWithProgress(const std::string& source, const std::string& destination,
                          const std::atomic<int>* cancel, const std::function<void(float)>& onRate)
{
    FileDescriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (in.get() < 0 || fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    std::string partName = PartName(destination);
    FileDescriptor out(mkostemps(partName.data(), 5, O_CLOEXEC));
    if (out.get() < 0)
        return false;
    // mkostemps makes the file 0600; a saved copy is the user's file.
    fchmod(out.get(), UserFileMode());

    const auto total = static_cast<double>(info.st_size);
    double copied = 0;
    std::vector<char> chunk(kChunkSize);
    bool ok = true;
    for (;;) {
        if (cancel && cancel->load()) {
            ok = false;
            break;
        }
        const ssize_t n = read(in.get(), chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!WriteAll(out.get(), chunk.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
        copied += static_cast<double>(n);
        if (onRate && total > 0)
            onRate(static_cast<float>(copied / total));
    }
    ok = out.Close() && ok;
    if (ok && std::rename(partName.c_str(), destination.c_str()) == 0)
        return true;
    std::remove(partName.c_str());
    return false;
}

unsigned UserFileMode()
{
    unsigned mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:")) {
            mask = static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8));
            break;
        }
    return 0666u & ~mask;
}

bool MoveFile(const std::string& from, const std::string& to)
{
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV || !CopyFileWithProgress(from, to, nullptr, nullptr))
        return false;
    std::remove(from.c_str());
    return true;
}

}  // namespace convert
