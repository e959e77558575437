#pragma once
// The English catalogue as parsed from lang/en.tsv: one line per entry,
// "Chinese<TAB>English[<TAB>context]"; "#" starts a comment line; "\n",
// "\r", "\t" and "\\" are escapes in every column.
#include <map>
#include <string>
#include <string_view>

namespace lang {

struct CatalogueKey {
    std::string context;
    std::string chinese;
    auto operator<=>(const CatalogueKey&) const = default;
};

using Catalogue = std::map<CatalogueKey, std::string>;

// Parses the text of a catalogue file; malformed lines (no tab, empty
// English) are left out.
Catalogue ParseCatalogue(std::string_view text);

// The catalogue built into the program.
const Catalogue& EnglishCatalogue();

}  // namespace lang
