#include "search/list_cipher.h"

#include "common/base64.h"

namespace {

std::string XorWithKey(std::string bytes)
{
    static_assert(kListCipherKey.size() == 32, "the key repeats every 32 bytes");
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kListCipherKey[i & 31]);
    return bytes;
}

}  // namespace

std::string DecipherListFile(std::string_view body)
{
    return XorWithKey(Base64DecodeBytes(body));  // (the decoded bytes move in: no copy)
}

std::string EncipherListFile(std::string_view text)
{
    return Base64Encode(XorWithKey(std::string(text)));
}
