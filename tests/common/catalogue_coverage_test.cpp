// Every Chinese text the program shows has an English entry: the skins'
// texts and tooltips, the code's literals and the program's pages. Each
// case lists the texts without one, so that a new text cannot slip by.
#include "common/lang/translate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lists "file: text" for each Chinese text without an English entry.
void CollectMissing(const std::filesystem::path& file, const std::vector<std::string>& texts,
                    std::vector<std::string>& missing)
{
    for (const std::string& text : texts)
        if (lang::HasChineseCharacter(text) && !lang::HasEnglish(text))
            missing.push_back(file.filename().string() + ": " + text);
}


std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    return all;
}

// The C++ string literals of a source file outside comments, with the
// escapes the catalogue keeps (\r, \n) turned into their characters.
std::vector<std::string> CppLiterals(const std::string& source)
{
    std::vector<std::string> literals;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        bool inString = false;
        std::string literal;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (!inString) {
                if (c == '/' && i + 1 < line.size() && (line[i + 1] == '/' || line[i + 1] == '*'))
                    break;
                if (c == '\'' && i + 2 < line.size()) {  // a character literal such as '"'
                    i += line[i + 1] == '\\' ? 3 : 2;
                    continue;
                }
                if (c == '"') {
                    inString = true;
                    literal.clear();
                }
            } else if (c == '\\' && i + 1 < line.size()) {
                const char next = line[++i];
                literal += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
            } else if (c == '"') {
                inString = false;
                literals.push_back(literal);
            } else {
                literal += c;
            }
        }
    }
    return literals;
}

// The texts of a page: quoted JavaScript strings and the text between
// tags outside scripts (in markup), trimmed; comments are left out.
std::vector<std::string> PageTexts(const std::string& page, bool markup)
{
    static const std::regex comment(R"((^|[^:])//[^\n]*|<!--[\s\S]*?-->)");
    static const std::regex quoted(R"('([^'\n]*)')");
    static const std::regex between(R"(>([^<>]+)<)");
    static const std::regex script(R"(<script[^>]*>[\s\S]*?</script>)");
    const std::string text = std::regex_replace(page, comment, "$1");
    std::vector<std::string> texts;
    for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end; ++it)
        texts.push_back((*it)[1]);
    if (!markup)
        return texts;
    const std::string outside = std::regex_replace(text, script, "");
    for (std::sregex_iterator it(outside.begin(), outside.end(), between), end; it != end; ++it) {
        std::string inner = (*it)[1];
        inner.erase(0, inner.find_first_not_of(" \r\n\t"));
        inner.erase(inner.find_last_not_of(" \r\n\t") + 1);
        texts.push_back(inner);
    }
    return texts;
}

const std::filesystem::path kSource = QUELT_SOURCE_DIR;

}  // namespace

TEST(CatalogueCoverage, EverySkinTextAndTooltipHasAnEnglishEntry)
{
    static const std::regex attribute(R"#(\b(text|tooltip)="([^"]*)")#");
    std::vector<std::string> missing;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource / "skin")) {
        if (entry.path().extension() != ".xml")
            continue;
        ++files;
        const std::string xml = ReadFile(entry.path());
        std::vector<std::string> texts;
        for (std::sregex_iterator it(xml.begin(), xml.end(), attribute), end; it != end; ++it)
            texts.push_back((*it)[2]);
        CollectMissing(entry.path(), texts, missing);
    }
    EXPECT_GE(files, 3);
    EXPECT_TRUE(missing.empty()) << "without English:" << Joined(missing);
}

TEST(CatalogueCoverage, EveryChineseLiteralOfTheCodeHasAnEnglishEntry)
{
    std::vector<std::string> missing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource / "src")) {
        const std::string extension = entry.path().extension().string();
        // The string table is checked by id, with its contexts.
        if ((extension != ".cpp" && extension != ".h") || entry.path().filename() == "string_table.cpp")
            continue;
        CollectMissing(entry.path(), CppLiterals(ReadFile(entry.path())), missing);
    }
    EXPECT_TRUE(missing.empty()) << "without English:" << Joined(missing);
}

TEST(CatalogueCoverage, EveryChineseTextOfTheProgramsPagesHasAnEnglishEntry)
{
    std::vector<std::string> missing;
    int pages = 0;
    for (const std::filesystem::path& folder : {kSource / "skin", kSource / "web" / "player"}) {
        for (auto it = std::filesystem::recursive_directory_iterator(folder);
             it != std::filesystem::recursive_directory_iterator(); ++it) {
            if (it->path().filename() == "node_modules") {
                it.disable_recursion_pending();
                continue;
            }
            const std::string extension = it->path().extension().string();
            if (extension != ".html" && extension != ".js")
                continue;
            ++pages;
            CollectMissing(it->path(), PageTexts(ReadFile(it->path()), extension == ".html"), missing);
        }
    }
    EXPECT_GE(pages, 8);
    EXPECT_TRUE(missing.empty()) << "without English:" << Joined(missing);
}
