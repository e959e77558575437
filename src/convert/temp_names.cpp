#include "convert/temp_names.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <random>
#include <unistd.h>

namespace convert {
namespace {

constexpr int kCounterLimit = 10000;
constexpr int kReserveAttempts = 100;

std::mutex counterLock;
int counter = 0;  // guarded by counterLock

// Seeded with the time, like the names' random part always was; used under
// counterLock only.
std::minstd_rand& RandomNumbers()
{
    static std::minstd_rand generator(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count() ^ getpid()));
    return generator;
}

}  // namespace

std::string TempFolder()
{
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error || folder.empty())
        folder = "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string NewTempBase()
{
    unsigned long number;
    int count;
    {
        std::lock_guard<std::mutex> hold(counterLock);
        number = RandomNumbers()() % 32768;
        counter = counter >= kCounterLimit ? 1 : counter + 1;
        count = counter;
    }
    // The separator keeps 12 + 345 and 123 + 45 apart.
    return TempFolder() + std::to_string(number) + "_" + std::to_string(count);
}

bool CreateExclusive(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

std::string ReserveTempFile(const std::string& extension)
{
    for (int attempt = 0; attempt < kReserveAttempts; ++attempt) {
        std::string base = NewTempBase();
        if (CreateExclusive(base + extension))
            return base;
    }
    return {};
}

}  // namespace convert
