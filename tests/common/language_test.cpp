// The language of a run, the one translation, the English catalogue and
// the string table's texts in English.
#include "common/lang/catalogue.h"
#include "common/lang/language.h"
#include "common/lang/translate.h"
#include "common/string_table.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using lang::Language;

// Restores the language of the test process (Chinese) after a case.
class EnglishRun : public ::testing::Test {
protected:
    void SetUp() override { lang::SetCurrentLanguage(Language::English); }
    void TearDown() override { lang::SetCurrentLanguage(Language::Chinese); }
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    return all;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The printf fields of a text, in order, without %s (an English text may
// leave out a site's name) and without %% (no argument).
std::string PrintfFields(const std::string& text)
{
    static const std::regex field(R"(%(%|[-+ #0]*[0-9]*(\.[0-9]+)?[a-zA-Z]))");
    std::string fields;
    for (std::sregex_iterator it(text.begin(), text.end(), field), end; it != end; ++it) {
        const std::string one = it->str();
        if (one != "%%" && one != "%s")
            fields += one + " ";
    }
    return fields;
}

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(Language, DecidedByTheForcedChoiceThenLcAllLcMessagesAndLang)
{
    struct Case {
        lang::LocaleEnvironment environment;
        Language expected;
    };
    const Case cases[] = {
        {{}, Language::English},                                   // nothing set
        {{"", "", "", "C"}, Language::English},
        {{"", "", "", "C.UTF-8"}, Language::English},
        {{"", "", "", "en_GB.UTF-8"}, Language::English},
        {{"", "", "", "zh_CN.UTF-8"}, Language::Chinese},
        {{"", "", "", "zh_TW"}, Language::Chinese},
        {{"", "", "zh_CN.UTF-8", "en_US.UTF-8"}, Language::Chinese},  // LC_MESSAGES before LANG
        {{"", "", "de_DE.UTF-8", "zh_CN.UTF-8"}, Language::English},
        {{"", "C", "zh_CN.UTF-8", "zh_CN.UTF-8"}, Language::English},  // LC_ALL first of all
        {{"", "zh_CN.UTF-8", "en_US", "en_US"}, Language::Chinese},
        {{"", "", "", "fr_zh"}, Language::English},                   // "zh" must lead
        {{"en", "zh_CN.UTF-8", "zh_CN", "zh_CN"}, Language::English},  // QUELT_LANG forces
        {{"zh", "C", "C", "en_US.UTF-8"}, Language::Chinese},
        {{"xx", "", "", "zh_CN.UTF-8"}, Language::Chinese},          // an unknown choice forces nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.environment.forced) + "|" + std::string(c.environment.lcAll) + "|"
                     + std::string(c.environment.lcMessages) + "|" + std::string(c.environment.lang));
        EXPECT_EQ(lang::DecideLanguage(c.environment), c.expected);
    }
}

TEST(Language, TestsRunInChineseByDefault)
{
    EXPECT_EQ(lang::CurrentLanguage(), Language::Chinese);
    EXPECT_EQ(LoadString(IDS_PLAY_TIP), "播放 （空格）");
}

TEST_F(EnglishRun, TranslatesByTheChineseTextAndFallsBackToIt)
{
    EXPECT_EQ(lang::Tr("播放器"), "Player");
    EXPECT_EQ(LoadString(IDS_PLAY_TIP), "Play (Space)");
    EXPECT_EQ(LoadString(IDS_PRODUCT_NAME), "Quelt") << "a text without Chinese needs no entry";
    EXPECT_EQ(lang::Tr("一个没有英文的句子"), "一个没有英文的句子") << "a missing entry stays Chinese, never empty";
    EXPECT_EQ(lang::Tr(""), "");
    EXPECT_EQ(lang::TranslateTo(Language::Chinese, "播放器"), "播放器");
    EXPECT_EQ(lang::Fill(lang::Tr("第 %1 / %2 页"), {"2", "7"}), "Page 2 of 7");
    EXPECT_EQ(lang::Fill("%2-%1-%3%", {"a", "b"}), "b-a-%3%") << "a value missing leaves its field";
}

TEST(Catalogue, ReadsEntriesContextsEscapesAndSkipsCommentsAndBrokenLines)
{
    const lang::Catalogue catalogue = lang::ParseCatalogue(
        "# comment\t not an entry\n"
        "甲\tA\n"
        "乙\\r\\n丙\tB\\r\\nC\\\\\r\n"
        "甲\tA in a menu\tmenu\n"
        "no tab\n"
        "丁\t\n"
        "\n"
        "戊\tE");
    EXPECT_EQ(catalogue.size(), 4u);
    EXPECT_EQ(catalogue.at({"", "甲"}), "A");
    EXPECT_EQ(catalogue.at({"menu", "甲"}), "A in a menu");
    EXPECT_EQ(catalogue.at({"", "乙\r\n丙"}), "B\r\nC\\");
    EXPECT_EQ(catalogue.at({"", "戊"}), "E") << "the last line needs no line end";
    EXPECT_EQ(catalogue.count({"", "丁"}), 0u) << "an empty English text is no entry";
}

TEST(Catalogue, EnglishTextsKeepThePrintfFieldsOfTheChinese)
{
    for (const auto& [key, english] : lang::EnglishCatalogue()) {
        SCOPED_TRACE(key.chinese);
        EXPECT_EQ(PrintfFields(english), PrintfFields(key.chinese));
        EXPECT_LE(CountOf(english, "%s"), CountOf(key.chinese, "%s"));
        for (const char* field : {"%1", "%2", "%3"})
            EXPECT_EQ(CountOf(english, field), CountOf(key.chinese, field));
    }
}

TEST(Catalogue, EveryStringTableTextHasAnEnglishEntry)
{
    std::vector<std::string> missing;
    for (int id : StringTableIds()) {
        std::string context;
        const std::string chinese = ChineseString(id, &context);
        if (lang::HasChineseCharacter(chinese) && !lang::HasEnglish(chinese, context))
            missing.push_back(std::to_string(id) + ": " + chinese);
    }
    EXPECT_TRUE(missing.empty()) << "without English:" << Joined(missing);
}

TEST_F(EnglishRun, StateMessagesSayWhatHappened)
{
    // The player test found no player (12), the page showed no video in
    // time (11), the site cannot be reached (13), the address answered with
    // something else than a video (15).
    EXPECT_EQ(LoadString(IDS_VIDEO_DELETED), "No video player was found on this page");
    EXPECT_EQ(LoadString(IDS_SERVER_BUSY), "The page did not show a video within 30 s");
    EXPECT_EQ(Replace(LoadString(IDS_SERVER_ERROR), "%s", "example.com"), "Cannot reach example.com");
    EXPECT_EQ(LoadString(IDS_NOT_VIDEO_ADDRESS), "This address does not lead to a video");
    lang::SetCurrentLanguage(Language::Chinese);
    EXPECT_EQ(LoadString(IDS_NOT_VIDEO_ADDRESS), LoadString(IDS_SERVER_ERROR)) << "one Chinese text for both";
}

TEST(PageDictionary, IsJsonOfTheEntriesWithoutContextAndEmptyInChinese)
{
    EXPECT_EQ(lang::PageDictionaryJson(Language::Chinese), "{}");
    const std::string json = lang::PageDictionaryJson(Language::English);
    EXPECT_NE(json.find("\"预览\":\"Preview\""), std::string::npos);
    EXPECT_NE(json.find("\\u000d\\u000a"), std::string::npos) << "line ends are escaped";
    EXPECT_EQ(json.find('\r'), std::string::npos);
    EXPECT_EQ(json.find("This address does not lead"), std::string::npos) << "entries with a context stay out";
}
