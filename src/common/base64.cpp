#include "common/base64.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 256> MakeDecodeTable()
{
    std::array<signed char, 256> table{};
    for (auto& v : table)
        v = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    return table;
}
constexpr auto kDecode = MakeDecodeTable();

}  // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Base64DecodeBytes(std::string_view text)
{
    // Written through a pointer into a buffer of the largest size the text
    // can give, then cut: list files of a megabyte go through here on the
    // user-interface thread.
    std::string out(text.size() / 4 * 3 + 3, '\0');
    char* at = out.data();
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const int v = kDecode[static_cast<unsigned char>(c)];
        if (v < 0)
            continue;
        bits = bits << 6 | static_cast<unsigned>(v);
        if (++count == 4) {
            *at++ = static_cast<char>(bits >> 16);
            *at++ = static_cast<char>(bits >> 8);
            *at++ = static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) {
        *at++ = static_cast<char>(bits >> 4);
    } else if (count == 3) {
        *at++ = static_cast<char>(bits >> 10);
        *at++ = static_cast<char>(bits >> 2);
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
    return out;
}

std::string Base64Decode(std::string_view text)
{
    std::string out = Base64DecodeBytes(text);
    const auto zero = out.find('\0');
    if (zero != std::string::npos)
        out.resize(zero);
    return out;
}
