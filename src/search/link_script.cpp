#include "search/link_script.h"

#include "search/script_text.h"


namespace {

bool KeepsByte(unsigned char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    return std::string_view("!'()*-./:_~%").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

bool TakesKeywordUnchanged(std::string_view coding)
{
    if (coding.find("ajax") != std::string_view::npos)
        return true;
    if (coding.size() != 5)
        return false;
    for (std::size_t i = 0; i < 5; ++i) {
        char c = coding[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != "utf-8"[i])
            return false;
    }
    return true;
}

std::string EncodeKeyword(std::string_view keyword, std::string_view coding)
{
    if (TakesKeywordUnchanged(coding))
        return std::string(keyword);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(keyword.size() * 3);
    for (const char ch : keyword) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeepsByte(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> FormatLinkScript(std::string_view script, int page, std::string_view keyword)
{
    std::string out;
    out.reserve(script.size() + keyword.size() + 16);
    bool pageUsed = false;
    bool keywordUsed = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '%') {
            out += script[i];
            continue;
        }
        if (i + 1 >= script.size())
            return std::nullopt;
        const char conversion = script[++i];
        if (conversion == '%') {
            out += '%';
        } else if (conversion == 'd' && !pageUsed && !keywordUsed) {
            out += std::to_string(page);
            pageUsed = true;
        } else if (conversion == 's' && pageUsed && !keywordUsed) {
            out += JsStringEscaped(keyword);
            keywordUsed = true;
        } else {
            return std::nullopt;
        }
    }
    return out;
}
