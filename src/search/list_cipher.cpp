#include "search/list_cipher.h"

#include "common/base64.h"

namespace {

std::string XorWithKey(std::string bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kListCipherKey[i % kListCipherKey.size()]);
    return bytes;
}

}  // namespace

std::string DecipherListFile(std::string_view body)
{
    return XorWithKey(Base64DecodeBytes(body));
}

std::string EncipherListFile(std::string_view text)
{
    return Base64Encode(XorWithKey(std::string(text)));
}
