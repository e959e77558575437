#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.
#include "common/app_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelt-store-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern + "/";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // With a trailing "/".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// A temporary folder that is the program folder while it lives, with the
// cache folder "temp/" in it.
class TempAppFolder : public TempFolder {
public:
    TempAppFolder()
    {
        SetAppFolderForTesting(path());
        std::filesystem::create_directories(*this / "temp");
    }
    ~TempAppFolder() { SetAppFolderForTesting(""); }
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
