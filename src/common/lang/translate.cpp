#include "common/lang/translate.h"

#include "common/lang/catalogue.h"

#include <cstdio>

namespace lang {

namespace {

const std::string* FindEnglish(std::string_view chinese, std::string_view context)
{
    const Catalogue& catalogue = EnglishCatalogue();
    const auto it = catalogue.find(CatalogueKey{std::string(context), std::string(chinese)});
    return it == catalogue.end() ? nullptr : &it->second;
}

void AppendJsonString(std::string& json, const std::string& text)
{
    json += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80
                   && (static_cast<unsigned char>(text[i + 2]) == 0xA8
                       || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            // U+2028 and U+2029 end a line in older JavaScript.
            json += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            json += static_cast<char>(c);
        }
    }
    json += '"';
}

}  // namespace

std::string TranslateTo(Language language, std::string_view chinese, std::string_view context)
{
    if (language == Language::English) {
        if (const std::string* english = FindEnglish(chinese, context))
            return *english;
    }
    return std::string(chinese);
}

std::string Tr(std::string_view chinese, std::string_view context)
{
    return TranslateTo(CurrentLanguage(), chinese, context);
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> values)
{
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && n < values.size() && n < 9) {
            filled += values.begin()[n];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

bool HasEnglish(std::string_view chinese, std::string_view context)
{
    return FindEnglish(chinese, context) != nullptr;
}

std::string PageDictionaryJson(Language language)
{
    std::string json = "{";
    if (language == Language::English) {
        for (const auto& [key, english] : EnglishCatalogue()) {
            if (!key.context.empty())
                continue;
            if (json.size() > 1)
                json += ',';
            AppendJsonString(json, key.chinese);
            json += ':';
            AppendJsonString(json, english);
        }
    }
    json += '}';
    return json;
}

bool HasChineseCharacter(std::string_view text)
{
    // UTF-8 lead bytes 0xE3-0xE9 start U+3000-U+9FFF: CJK punctuation and
    // the unified ideographs; 0xEF 0xBC/0xBD are the full-width forms.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xE3 && c <= 0xE9)
            return true;
        if (c == 0xEF && i + 1 < text.size()
            && (static_cast<unsigned char>(text[i + 1]) == 0xBC || static_cast<unsigned char>(text[i + 1]) == 0xBD))
            return true;
    }
    return false;
}

}  // namespace lang
