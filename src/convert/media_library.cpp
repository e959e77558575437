#include "convert/media_library.h"

#include "convert/file_copy.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace convert {
namespace {

constexpr int kMaxNameAttempts = 1000;

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (home.empty())
        if (const passwd* entry = getpwuid(getuid()))
            home = entry->pw_dir ? entry->pw_dir : "";
    return home;
}

// A line of user-dirs.dirs reads XDG_MUSIC_DIR="$HOME/Music"; only "$HOME/"
// or an absolute path are allowed there.
std::string ReadUserDirsEntry(const std::string& key, const std::string& home)
{
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    for (std::string line; std::getline(file, line);) {
        if (line.rfind(key + "=\"", 0) != 0)
            continue;
        const auto start = key.size() + 2;
        const auto end = line.find('"', start);
        if (end == std::string::npos)
            return {};
        std::string value = line.substr(start, end - start);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        return value.empty() || value[0] != '/' ? std::string() : value;
    }
    return {};
}

std::string FreeName(const std::filesystem::path& folder, const std::filesystem::path& name)
{
    const std::string stem = name.stem().string();
    const std::string extension = name.extension().string();
    for (int number = 1; number <= kMaxNameAttempts; ++number) {
        const std::string candidate = number == 1 ? name.string() : stem + " (" + std::to_string(number) + ")" + extension;
        const auto path = folder / candidate;
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error)))
            return path.string();
    }
    return {};
}

}  // namespace

std::string MediaLibraryFolder(LibraryKind kind)
{
    if (kind == LibraryKind::None)
        return {};
    const char* key = kind == LibraryKind::Music ? "XDG_MUSIC_DIR" : "XDG_VIDEOS_DIR";
    if (std::string fromEnvironment = Environment(key); !fromEnvironment.empty())
        return fromEnvironment;
    const std::string home = HomeFolder();
    if (home.empty())
        return {};
    if (std::string configured = ReadUserDirsEntry(key, home); !configured.empty())
        return configured;
    return home + (kind == LibraryKind::Music ? "/Music" : "/Videos");
}

std::string AddToMediaLibrary(const std::string& file, LibraryKind kind)
{
    const std::filesystem::path folder = MediaLibraryFolder(kind);
    if (folder.empty())
        return {};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error))
        return {};
    const std::string target = FreeName(folder, std::filesystem::path(file).filename());
    if (target.empty() || !CopyFileWithProgress(file, target, nullptr, nullptr))
        return {};
    return target;
}

}  // namespace convert
