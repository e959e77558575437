#include "convert/coder/join_options.h"

namespace coder {

std::vector<std::string> BuildJoinArgs(const std::string& output, const std::vector<std::string>& lists)
{
    std::vector<std::string> args = {"-y"};
    for (const std::string& list : lists) {
        args.push_back("-i");
        args.push_back("concatf:" + list);
    }
    // Video and audio only: a data stream of a TS (ID3 tags) has no place in an MP4.
    for (std::size_t i = 0; i < lists.size(); ++i) {
        args.push_back("-map");
        args.push_back(std::to_string(i) + ":v?");
        args.push_back("-map");
        args.push_back(std::to_string(i) + ":a?");
    }
    for (const char* arg : {"-c", "copy", "-f", "mp4"})
        args.emplace_back(arg);
    args.push_back("file:" + output);
    return args;
}

}  // namespace coder
