#include "convert/library_folder.h"

#include <dlfcn.h>

namespace convert {

std::string LibraryFolder()
{
    static const std::string folder = [] {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) || !info.dli_fname)
            return std::string("./");
        const std::string path = info.dli_fname;
        const auto slash = path.find_last_of('/');
        return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    }();
    return folder;
}

std::string EncoderPath()
{
    return LibraryFolder() + "coder";
}

}  // namespace convert
