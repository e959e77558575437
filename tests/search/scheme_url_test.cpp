// The program's URL schemes without a browser: the split into parts, the
// base view's decision before a navigation, the dispatcher's order, the
// one list of prefixes, and addresses that are odd or hostile.
#include "common/string_table.h"
#include "search/scheme_url.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace scheme;

TEST(SchemeUrlParse, SplitsAtTheFirstSeparatorAndDecodesOnlyPartB)
{
    const SchemeParts search = ParseSchemeUrl(IDS_SCHEME_SEARCH, "searchxev://music&&&love%20song/", true);
    EXPECT_EQ(search.prefix, "searchxev://");
    EXPECT_EQ(search.partA, "music");
    EXPECT_EQ(search.partB, "love song");

    const SchemeParts raw = ParseSchemeUrl(IDS_SCHEME_SEARCH, "searchxev://a%20b/&&&c%20d/", false);
    EXPECT_EQ(raw.partA, "a%20b/") << "part A is never decoded";
    EXPECT_EQ(raw.partB, "c%20d/");

    const SchemeParts none = ParseSchemeUrl(IDS_SCHEME_PLAY, "playxev://page.html", true);
    EXPECT_EQ(none.partA, "page.html") << "no separator: the whole rest is part A";
    EXPECT_EQ(none.partB, "");

    const SchemeParts ten = ParseSchemeUrl(IDS_SCHEME_PLAY, "playxev://a&&&b&&&c&&&d&&&e&&&f&&&g&&&h&&&i&&&j&&&k", false);
    EXPECT_EQ(ten.partA, "a");
    EXPECT_EQ(ten.partB, "b&&&c&&&d&&&e&&&f&&&g&&&h&&&i&&&j&&&k");

    const SchemeParts inside = ParseSchemeUrl(IDS_SCHEME_PLAY, "http://x/?go=playxev://p&&&T", true);
    EXPECT_TRUE(inside.Found()) << "a prefix counts wherever it occurs";
    EXPECT_EQ(inside.partA, "p");

    EXPECT_FALSE(ParseSchemeUrl(IDS_SCHEME_PLAY, "http://example.test/", true).Found());
    EXPECT_FALSE(ParseSchemeUrl(IDS_SCHEME_PLAY, "PLAYXEV://p", true).Found()) << "the prefix is compared as written";
}

TEST(SchemeUrlParse, LongTextQuotesAndBackslashesPassThroughUnchanged)
{
    const std::string title(10 * 1024, 'x');
    const SchemeParts big = ParseSchemeUrl(IDS_SCHEME_ADD, "addxev://p&&&" + title, true);
    EXPECT_EQ(big.partB.size(), title.size());

    const SchemeParts quoted = ParseSchemeUrl(IDS_SCHEME_ADD, R"(addxev://it's\&&&"a" 'b' \c\)", true);
    EXPECT_EQ(quoted.partA, R"(it's\)");
    EXPECT_EQ(quoted.partB, R"("a" 'b' \c\)");
}

TEST(SchemeNavigate, PlayPreviewAndAddCallAddVideoWithTheirModes)
{
    const NavigateDecision play = DecideBaseNavigate("playxev://page.html&&&My%20Title", "home.html");
    EXPECT_TRUE(play.addVideo);
    EXPECT_EQ(play.key, "page.html");
    EXPECT_EQ(play.title, "My Title");
    EXPECT_EQ(play.mode, "1");
    EXPECT_EQ(play.balloonTextId, 0) << "no balloon without tipxev://";
    EXPECT_TRUE(play.setCancel);

    EXPECT_EQ(DecideBaseNavigate("inxev://p&&&T", "").mode, "3");
    EXPECT_EQ(DecideBaseNavigate("addxev://p&&&T", "").mode, "2");
    EXPECT_FALSE(DecideBaseNavigate("searchxev://m&&&k", "").addVideo);
}

TEST(SchemeNavigate, TheTipModifierPlaysWithTheBalloon)
{
    const NavigateDecision tip = DecideBaseNavigate("tipxev://playxev://page&&&Title", "");
    EXPECT_TRUE(tip.addVideo);
    EXPECT_EQ(tip.key, "page");
    EXPECT_EQ(tip.title, "Title");
    EXPECT_EQ(tip.mode, "1");
    EXPECT_EQ(tip.balloonTextId, IDS_BALLOON_PLAYING);
    EXPECT_EQ(DecideBaseNavigate("tipxev://inxev://p&&&T", "").balloonTextId, IDS_BALLOON_PREVIEWING);
    EXPECT_EQ(DecideBaseNavigate("tipxev://addxev://p&&&T", "").balloonTextId, IDS_BALLOON_QUEUED);
}

TEST(SchemeNavigate, CancelsEverythingButTheHomePageAndMarkedAddresses)
{
    EXPECT_FALSE(DecideBaseNavigate("FILE:///Skin/Search.html", "file:///skin/search.html").setCancel)
        << "the home page, compared without case";
    EXPECT_TRUE(DecideBaseNavigate("http://other.test/", "file:///skin/search.html").setCancel);
    EXPECT_FALSE(DecideBaseNavigate("http://other.test/?Wq5NrTzLpYk3D", "").setCancel) << "the navigation marker";
    EXPECT_FALSE(DecideBaseNavigate("http://other.test/", "").addVideo);
}

TEST(SchemeDispatch, TriesTheActionsInTheirOrder)
{
    const auto search = DecideSchemeDispatch("searchxev://music&&&love%20song/");
    ASSERT_EQ(search.size(), 1u);
    EXPECT_EQ(search[0].action, SchemeAction::Search);
    EXPECT_EQ(search[0].parts.partA, "music");
    EXPECT_EQ(search[0].parts.partB, "love song");

    EXPECT_EQ(DecideSchemeDispatch("searchcolxev://c&&&k")[0].action, SchemeAction::SearchColumn);
    EXPECT_EQ(DecideSchemeDispatch("specialcuxev://skin/s.html")[0].action, SchemeAction::SetSpecialStyle);
    EXPECT_EQ(DecideSchemeDispatch("searchcuxev://skin/main/searchstyle3.html")[0].parts.partA,
              "skin/main/searchstyle3.html");
    EXPECT_EQ(DecideSchemeDispatch("searchcolcuxev://x")[0].action, SchemeAction::SetColumnSearchStyle);
    EXPECT_TRUE(DecideSchemeDispatch("searchtagxev://tag").empty()) << "recognised by the views, not dispatched";
    EXPECT_TRUE(DecideSchemeDispatch("searchstylexev://x").empty());
    EXPECT_TRUE(DecideSchemeDispatch("colsearchstylexev://x").empty());
    EXPECT_TRUE(DecideSchemeDispatch("http://example.test/").empty());

    // An address holding two prefixes: the search first, the alert as the
    // step after it (taken when no search tab can open).
    const auto both = DecideSchemeDispatch("alertxev://hi&&&searchxev://m&&&k");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].action, SchemeAction::Search);
    EXPECT_EQ(both[1].action, SchemeAction::Alert);
}

TEST(SchemeDispatch, SpecialPagesNeedExactlyFivePieces)
{
    const auto five = DecideSchemeDispatch("specialxev://Topic&&&2&&&a%20b/&&&10&&&20&&&t4");
    ASSERT_EQ(five.size(), 1u);
    EXPECT_EQ(five[0].parts.partA, "Topic");
    ASSERT_TRUE(five[0].HasFivePieces());
    EXPECT_EQ(five[0].pieces[1], "a%20b/") << "the pieces stay raw; the view decodes T1";

    EXPECT_FALSE(DecideSchemeDispatch("specialxev://T&&&1&&&a&&&b&&&c")[0].HasFivePieces()) << "four";
    EXPECT_FALSE(DecideSchemeDispatch("specialxev://T&&&1&&&a&&&b&&&c&&&d&&&e")[0].HasFivePieces()) << "six";
    EXPECT_EQ(DecideSchemeDispatch("specialxev://T")[0].action, SchemeAction::Special) << "an empty tab still opens";
}

TEST(SchemeDispatch, AnAlertOfTenKilobytesKeepsItsText)
{
    const std::string text(10 * 1024, 'a');
    const auto alert = DecideSchemeDispatch("alertxev://" + text);
    ASSERT_EQ(alert.size(), 1u);
    EXPECT_EQ(alert[0].action, SchemeAction::Alert);
    EXPECT_EQ(alert[0].parts.partA, text);
}

TEST(SchemeList, EveryPrefixOfTheStringTableOnce)
{
    const auto& prefixes = ProgramSchemePrefixes();
    EXPECT_EQ(prefixes.size(), 15u);
    for (const char* expected : {"playxev://", "inxev://", "addxev://", "searchxev://", "searchtagxev://", "tipxev://",
                                 "searchmorexev://", "alertxev://", "specialxev://", "searchcolxev://",
                                 "specialcuxev://", "searchcuxev://", "searchcolcuxev://", "searchstylexev://",
                                 "colsearchstylexev://"})
        EXPECT_NE(std::find(prefixes.begin(), prefixes.end(), expected), prefixes.end()) << expected;
}

TEST(SchemePages, OrdinaryPagesLoadAndAddressTitlesAreNotUsed)
{
    EXPECT_TRUE(LetsPageLoad("http://example.test/page.html"));
    EXPECT_FALSE(LetsPageLoad("http://example.test/?u=playxev://p"));
    EXPECT_FALSE(LetsPageLoad("searchtagxev://tag"));
    EXPECT_TRUE(LetsPageLoad("alertxev://hi")) << "not one of the five";
    EXPECT_FALSE(IsUsableTabTitle("http://example.test/"));
    EXPECT_TRUE(IsUsableTabTitle(""));
    EXPECT_TRUE(IsUsableTabTitle("https://example.test/ — a title"));
}

}  // namespace
