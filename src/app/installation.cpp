#include "app/installation.h"

#include "common/app_folder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

bool RemoveInstallation(const std::string& programFolder)
{
    namespace fs = std::filesystem;
    const fs::path folder(programFolder);
    std::ifstream marker(folder / kInstalledMarker);
    if (!marker)
        return false;
    std::error_code error;
    for (std::string line; std::getline(marker, line);)
        if (!line.empty() && line.front() == '/' && !fs::is_directory(fs::symlink_status(line, error)))
            fs::remove(line, error);
    marker.close();
    fs::remove_all(folder, error);
    return !error;
}
