#include "search/script_text.h"

#include "common/ascii_text.h"

#include <cstdio>

std::string JsStringLiteral(std::string_view text)
{
    return "\"" + JsStringEscaped(text) + "\"";
}

std::string JsStringEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\'': out += "\\'"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '<': out += "\\x3c"; break;  // no "</script>" or "<!--" in a page
        default:
            if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                out += escaped;
            } else if (c == 0xe2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80
                       && (static_cast<unsigned char>(text[i + 2]) == 0xa8
                           || static_cast<unsigned char>(text[i + 2]) == 0xa9)) {
                // U+2028 and U+2029 end a line inside older engines' literals.
                out += static_cast<unsigned char>(text[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string PercentDecoded(std::string_view url)
{
    const auto hex = HexDigitValue;
    std::string out;
    out.reserve(url.size());
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && hex(url[i + 1]) >= 0 && hex(url[i + 2]) >= 0) {
            out += static_cast<char>(hex(url[i + 1]) * 16 + hex(url[i + 2]));
            i += 2;
        } else {
            out += url[i];
        }
    }
    return out;
}
