#include "platform/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

std::optional<std::string> EncodeFromUtf8(std::string_view utf8, const std::string& charset)
{
    if (charset.empty())
        return std::nullopt;
    const iconv_t converter = ::iconv_open(charset.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(converter, &in, &inLeft, &outAt, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace platform
