#include "common/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

FileWriteResult Failure(const std::string& what, int error)
{
    return {false, what + ": " + std::strerror(error)};
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string ParentFolder(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; a failure here does not undo the save.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileWriteResult ReplaceFileAtomically(const std::string& path, std::string_view bytes, Durability durability)
{
    const bool sync = durability == Durability::OnDisk;
    if (bytes.empty())
        return {false, "nothing to write"};
    const std::string part = path + ".part";
    // O_NOFOLLOW: a planted symlink must not redirect the write elsewhere.
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return Failure("cannot create " + part, errno);

    if (!WriteAll(fd, bytes) || (sync && ::fsync(fd) != 0)) {
        const int error = errno;
        ::close(fd);
        ::unlink(part.c_str());
        return Failure("cannot write " + part, error);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(part.c_str());
        return Failure("cannot close " + part, error);
    }
    if (::rename(part.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(part.c_str());
        return Failure("cannot replace " + path, error);
    }
    if (sync)
        SyncFolder(ParentFolder(path));
    return {true, {}};
}
