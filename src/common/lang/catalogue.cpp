#include "common/lang/catalogue.h"

#include <vector>

namespace lang {

// The text of lang/en.tsv, compiled in by the build (en_catalogue_data.cpp).
extern const char kEnglishCatalogueText[];

namespace {

std::string Unescape(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        switch (field[++i]) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case '\\': text += '\\'; break;
        default:
            text += '\\';
            text += field[i];
        }
    }
    return text;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

Catalogue ParseCatalogue(std::string_view text)
{
    Catalogue catalogue;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() < 2 || fields[0].empty() || fields[1].empty())
            continue;
        CatalogueKey key{fields.size() > 2 ? Unescape(fields[2]) : std::string(), Unescape(fields[0])};
        catalogue[std::move(key)] = Unescape(fields[1]);
    }
    return catalogue;
}

const Catalogue& EnglishCatalogue()
{
    static const Catalogue catalogue = ParseCatalogue(kEnglishCatalogueText);
    return catalogue;
}

}  // namespace lang
