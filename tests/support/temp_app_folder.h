#pragma once
// A program folder of a test's own under the system's temporary folder
// ("<name>-<pid>/"), the program folder while it lives. Given the built
// skin's folder, it links it in as "skin", so the program's pages load
// from it as from the program's own folder. Its end leaves the program
// folder unset and removes the folder with all that the test wrote there.
#include "common/app_folder.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

class TempAppFolder {
public:
    explicit TempAppFolder(const std::string& name, const std::string& skinFolder = {})
        : path_((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string() + "/")
    {
        std::filesystem::create_directories(path_);
        if (!skinFolder.empty())
            std::filesystem::create_directory_symlink(skinFolder, path_ + "skin");
        SetAppFolderForTesting(path_);
    }
    ~TempAppFolder()
    {
        SetAppFolderForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempAppFolder(const TempAppFolder&) = delete;
    TempAppFolder& operator=(const TempAppFolder&) = delete;

    // With the trailing "/".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace test_support
