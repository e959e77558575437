#include "records/info_favorite.h"
#include "records/info_history.h"
#include "records/info_search_key.h"
#include "records/info_video.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>

namespace {

// Texts that XML must escape or that are easily mangled on the way.
const std::string kAwkward = "say \"hi\" & 'bye' <b>x</b> ]]> 中文标题 line1\r\nline2\nline3\ttab";

// Writes the record under a root, serialises the document, parses it back
// and returns the first child of the root.
template <typename Record>
Record RoundTrip(Record& original, std::string* xml = nullptr)
{
    pugi::xml_document out;
    SaveElement(original, out.append_child("setting"));
    std::ostringstream stream;
    out.save(stream);
    if (xml)
        *xml = stream.str();

    pugi::xml_document in;
    EXPECT_TRUE(in.load_string(stream.str().c_str(), pugi::parse_default & ~pugi::parse_eol));
    Record copy;
    EXPECT_TRUE(LoadElement(copy, in.document_element().first_child()));
    return copy;
}

}  // namespace

TEST(XmlMember, EveryRecordKindRoundTripsItsProperties)
{
    InfoVideo video;
    video.a0 = "2";
    video.a1 = kAwkward;
    video.a2 = "http://site.example/v?id=1&x=2 2";
    video.a3 = "http://site.example/page";
    video.a4 = "http://cdn.example/a.flv?k=\"q\"";
    video.a5 = "123456789";
    std::string xml;
    InfoVideo videoCopy = RoundTrip(video, &xml);
    EXPECT_NE(xml.find("<InfoVideo a0=\"2\" a1="), std::string::npos) << xml;
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(*videoCopy.GetProperties()[i].second, *video.GetProperties()[i].second) << i;

    InfoHistory history;
    history.view_time = "03-07";
    history.title = kAwkward;
    history.url = "key<&>";
    InfoHistory historyCopy = RoundTrip(history);
    EXPECT_EQ(historyCopy.view_time, "03-07");
    EXPECT_EQ(historyCopy.title, kAwkward);
    EXPECT_EQ(historyCopy.url, "key<&>");

    InfoFavorite favorite;
    favorite.title = kAwkward;
    favorite.url = "http://x/收藏";
    InfoFavorite favoriteCopy = RoundTrip(favorite);
    EXPECT_EQ(favoriteCopy.title, kAwkward);
    EXPECT_EQ(favoriteCopy.url, "http://x/收藏");

    InfoSearchKey key;
    key.key = "关键词";
    key.interval = "60";
    key.limit = "10";
    key.schema = kAwkward;
    InfoSearchKey keyCopy = RoundTrip(key);
    EXPECT_EQ(keyCopy.key, "关键词");
    EXPECT_EQ(keyCopy.interval, "60");
    EXPECT_EQ(keyCopy.limit, "10");
    EXPECT_EQ(keyCopy.schema, kAwkward);
}

TEST(XmlMember, EmptyValuesAreNotWrittenAndLoadBackEmpty)
{
    InfoVideo video;
    video.a0 = "1";
    video.a2 = "key";
    std::string xml;
    InfoVideo copy = RoundTrip(video, &xml);
    EXPECT_EQ(xml.find("a3"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("a1"), std::string::npos) << xml;
    EXPECT_NE(xml.find("a5=\"0\""), std::string::npos) << xml;
    EXPECT_EQ(copy.a3, "");
    EXPECT_EQ(copy.a5, "0");
}

TEST(XmlMember, LoadEmptiesEveryPropertyAndIgnoresUnknownAttributes)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<favorite url="k" rating="5" />)"));
    InfoFavorite favorite;
    favorite.title = "stale title";
    favorite.url = "stale";
    ASSERT_TRUE(LoadElement(favorite, document.first_child()));
    EXPECT_EQ(favorite.title, "");
    EXPECT_EQ(favorite.url, "k");
}

TEST(XmlMember, ElementWithAnotherNameIsRefusedAndLeavesTheRecordAlone)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<view_history title="t" url="u" />)"));
    InfoFavorite favorite;
    favorite.title = "kept";
    EXPECT_FALSE(LoadElement(favorite, document.first_child()));
    EXPECT_EQ(favorite.title, "kept");
    EXPECT_FALSE(LoadElement(favorite, pugi::xml_node()));
}

// Every new play-list record comes from MakeVideoRecord: it writes exactly
// the mode, title, key, stream and the unknown size, nothing else.
TEST(XmlMember, AMadeVideoRecordHoldsOnlyWhatItWasGiven)
{
    const auto video = MakeVideoRecord("http://videos.example/watch/1", "A title", "2", "http://cdn.example/v.flv");
    std::string xml;
    RoundTrip(*video, &xml);
    EXPECT_NE(xml.find("<InfoVideo a0=\"2\" a1=\"A title\" a2=\"http://videos.example/watch/1\" "
                       "a4=\"http://cdn.example/v.flv\" a5=\"0\" />"),
              std::string::npos)
        << xml;
    EXPECT_EQ(video->state, VIDEO_STATE_NEW);
    EXPECT_EQ(video->lookupDone, 0);

    const auto queued = MakeVideoRecord("http://videos.example/watch/2", "", "2");
    EXPECT_TRUE(queued->a1.empty());
    EXPECT_TRUE(queued->a4.empty()) << "without a stream URL the video is detected first";
}
