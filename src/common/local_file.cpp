#include "common/local_file.h"

#include <filesystem>
#include <system_error>

bool IsLocalPathKey(const std::string& key)
{
    return key.starts_with('/');
}

bool IsLocalFile(const std::string& key)
{
    std::error_code error;
    return IsLocalPathKey(key) && std::filesystem::is_regular_file(key, error);
}
