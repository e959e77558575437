#include "sample_setting.h"
#include "temp_folder.h"

#include "shell/settings/app_setting.h"
#include "shell/settings/setting_keys.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <vector>

namespace {

// Every stored integer and text field, to compare two objects key by key.
void ExpectSameStoredFields(const CAppSetting& actual, const CAppSetting& expected, int runTimesDelta)
{
    for (const SettingKey& key : SettingKeys()) {
        if (key.text)
            EXPECT_EQ(actual.*key.text, expected.*key.text) << key.name;
        else if (key.number == &CAppSetting::runTimes)
            EXPECT_EQ(actual.runTimes, expected.runTimes + runTimesDelta);
        else
            EXPECT_EQ(actual.*key.number, expected.*key.number) << key.name;
    }
}

void ExpectAllDefaults(const CAppSetting& actual)
{
    const CAppSetting defaults;
    ExpectSameStoredFields(actual, defaults, 0);
    EXPECT_EQ(actual.soundOn, defaults.soundOn);
    EXPECT_EQ(actual.aboutUrl, defaults.aboutUrl);
}

// A small valid file; attributes can be dropped or replaced by name.
std::string FileWith(const std::string& replace = {}, const std::string& value = {}, bool drop = false)
{
    CAppSetting source;
    source.runTimes = 7;
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("setting");
    for (const SettingKey& key : SettingKeys()) {
        if (key.name == replace && drop)
            continue;
        pugi::xml_attribute attribute = root.append_attribute(key.name);
        if (key.name == replace)
            attribute.set_value(value.c_str());
        else if (key.text)
            attribute.set_value((source.*key.text).c_str());
        else
            attribute.set_value(source.*key.number);
    }
    root.append_child("InfoVideo").append_attribute("a2").set_value("k1");
    std::ostringstream out;
    document.save(out);
    return out.str();
}

class SettingFileTest : public ::testing::Test {
protected:
    std::string Path() const { return folder_ / "setting.xml"; }
    TempFolder folder_;
};

}  // namespace

TEST_F(SettingFileTest, EveryFieldAndRecordSurvivesSaveAndLoad)
{
    CAppSetting saved;
    FillSample(saved, 1, 3);
    ASSERT_TRUE(saved.Save(Path()));

    CAppSetting loaded;
    ASSERT_TRUE(loaded.Load(Path()));
    ExpectSameStoredFields(loaded, saved, 1);
    EXPECT_EQ(loaded.soundOn, 1) << "sound is not stored";
    EXPECT_EQ(loaded.aboutUrl, CAppSetting().aboutUrl) << "the about link is not stored";
    EXPECT_EQ(loaded.hotSearchWords, saved.hotSearchWords);

    ASSERT_EQ(loaded.playList.PCL_GetObjectCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const InfoVideo& a = *loaded.playList.PCL_GetObject(i);
        const InfoVideo& b = *saved.playList.PCL_GetObject(i);
        EXPECT_EQ(a.a0, b.a0);
        EXPECT_EQ(a.a1, b.a1);
        EXPECT_EQ(a.a2, b.a2);
        EXPECT_EQ(a.a3, b.a3);
        EXPECT_EQ(a.a4, b.a4);
        EXPECT_EQ(a.a5, b.a5);
        EXPECT_EQ(a.state, VIDEO_STATE_LOADED);
        EXPECT_EQ(a.lookupDone, 1);
    }
    ASSERT_EQ(loaded.history.PCL_GetObjectCount(), 3u);
    ASSERT_EQ(loaded.favorites.PCL_GetObjectCount(), 3u);
    ASSERT_EQ(loaded.searchKeys.PCL_GetObjectCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.history.PCL_GetObject(i)->view_time, saved.history.PCL_GetObject(i)->view_time);
        EXPECT_EQ(loaded.history.PCL_GetObject(i)->title, saved.history.PCL_GetObject(i)->title);
        EXPECT_EQ(loaded.history.PCL_GetObject(i)->url, saved.history.PCL_GetObject(i)->url);
        EXPECT_EQ(loaded.favorites.PCL_GetObject(i)->title, saved.favorites.PCL_GetObject(i)->title);
        EXPECT_EQ(loaded.favorites.PCL_GetObject(i)->url, saved.favorites.PCL_GetObject(i)->url);
        EXPECT_EQ(loaded.searchKeys.PCL_GetObject(i)->key, saved.searchKeys.PCL_GetObject(i)->key);
        EXPECT_EQ(loaded.searchKeys.PCL_GetObject(i)->interval, "30");
        EXPECT_EQ(loaded.searchKeys.PCL_GetObject(i)->limit, "5");
        EXPECT_EQ(loaded.searchKeys.PCL_GetObject(i)->schema, saved.searchKeys.PCL_GetObject(i)->schema);
    }
}

TEST_F(SettingFileTest, FileHasTheDeclarationTheKeyOrderAndTheChildOrder)
{
    CAppSetting saved;
    FillSample(saved, 1, 1);
    ASSERT_TRUE(saved.Save(Path()));
    const std::string text = ReadWholeFile(Path());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << text.substr(0, 80);

    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(text.c_str()));
    const pugi::xml_node root = document.document_element();
    EXPECT_STREQ(root.name(), "setting");
    const std::vector<std::string> expectedKeys = {
        "skin_color_tone", "skin_saturation", "volume", "cs_search_url", "cs_search_style_url",
        "cs_colsearch_style_url", "cs_relation_url", "cs_special_view_url", "cs_special_style_url",
        "cs_speedinfo_url", "cs_viruruz_url", "cs_searcsettinginfo_url", "cs_relation_def_video_url",
        "pos_left", "pos_top", "pos_right", "pos_bottom", "idle_down_enable", "max_download",
        "install_date", "first_run", "run_times", "config_url", "flash_package_url", "associate_flv",
        "exit_delete_playlist", "exit_clear_history", "save_flv_folder", "url_home", "url_feedback",
        "cs_set_covertsel"};
    std::vector<std::string> keys;
    for (const pugi::xml_attribute attribute : root.attributes())
        keys.emplace_back(attribute.name());
    EXPECT_EQ(keys, expectedKeys);

    std::vector<std::string> children;
    for (const pugi::xml_node child : root.children())
        children.emplace_back(child.name());
    const std::vector<std::string> expectedChildren = {"HotSearchWord", "HotSearchWord", "HotSearchWord",
                                                       "HotSearchWord", "HotSearchWord", "InfoVideo",
                                                       "view_history",  "favorite",      "detect_searchkey"};
    EXPECT_EQ(children, expectedChildren);
}

TEST_F(SettingFileTest, MissingFileLeavesTheDefaults)
{
    CAppSetting setting;
    EXPECT_FALSE(setting.Load(Path()));
    ExpectAllDefaults(setting);
}

TEST_F(SettingFileTest, RunCountSevenBecomesEightAndIsWrittenAsEight)
{
    WriteWholeFile(Path(), FileWith());
    CAppSetting setting;
    ASSERT_TRUE(setting.Load(Path()));
    EXPECT_EQ(setting.runTimes, 8);
    ASSERT_TRUE(setting.Save(Path()));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(Path().c_str()));
    EXPECT_STREQ(document.document_element().attribute("run_times").value(), "8");
}

TEST_F(SettingFileTest, DuplicateHotSearchWordsAreKeptInOrder)
{
    std::string text = FileWith();
    text.insert(text.find("<InfoVideo"),
                "<HotSearchWord>b</HotSearchWord><HotSearchWord>a</HotSearchWord><HotSearchWord>b</HotSearchWord>");
    WriteWholeFile(Path(), text);
    CAppSetting setting;
    setting.hotSearchWords = {"old"};
    ASSERT_TRUE(setting.Load(Path()));
    EXPECT_EQ(setting.hotSearchWords, (std::vector<std::string>{"b", "a", "b"}));
}

TEST_F(SettingFileTest, MissingOrUnreadableOptionalKeysKeepTheCurrentValue)
{
    const std::vector<std::string> optional = {"skin_color_tone", "skin_saturation", "associate_flv",
                                               "exit_delete_playlist", "exit_clear_history",
                                               "save_flv_folder", "url_home", "url_feedback"};
    for (const std::string& name : optional) {
        for (const bool drop : {true, false}) {
            WriteWholeFile(Path(), FileWith(name, "not a number", drop));
            CAppSetting setting;
            setting.skinSaturation = 42;
            setting.associateFlv = 7;
            setting.feedbackUrl = "current feedback";
            ASSERT_TRUE(setting.Load(Path())) << name;
            EXPECT_EQ(setting.runTimes, 8) << name;
            EXPECT_EQ(setting.playList.PCL_GetObjectCount(), 1u) << name;
            if (name == "skin_saturation") {
                EXPECT_EQ(setting.skinSaturation, 42);
            } else if (name == "associate_flv") {
                EXPECT_EQ(setting.associateFlv, 7);
            } else if (name == "url_feedback") {
                EXPECT_EQ(setting.feedbackUrl, drop ? "current feedback" : "not a number");
            }
        }
    }
    // An older file without the feedback key loads fully with the default.
    WriteWholeFile(Path(), FileWith("url_feedback", "", true));
    CAppSetting older;
    EXPECT_TRUE(older.Load(Path()));
    EXPECT_EQ(older.feedbackUrl, CAppSetting().feedbackUrl);
}

TEST_F(SettingFileTest, MissingOrUnreadableRequiredKeyRestoresEveryDefault)
{
    int required = 0;
    for (const SettingKey& key : SettingKeys()) {
        if (key.optional)
            continue;
        ++required;
        std::vector<std::pair<std::string, bool>> cases = {{"", true}};
        if (key.number)
            cases.insert(cases.end(), {{"12px", false}, {"", false}, {"99999999999", false}, {"1.5", false}});
        for (const auto& [value, drop] : cases) {
            WriteWholeFile(Path(), FileWith(key.name, value, drop));
            CAppSetting setting;
            FillSample(setting, 3, 1);
            EXPECT_FALSE(setting.Load(Path())) << key.name << " '" << value << "'";
            ExpectAllDefaults(setting);
            // Lists were not reached yet and stay as they were.
            EXPECT_EQ(setting.playList.PCL_GetObjectCount(), 1u);
            EXPECT_EQ(setting.playList.PCL_GetObject(0)->state, VIDEO_STATE_INCOMPLETE);
            EXPECT_EQ(setting.hotSearchWords.size(), 5u);
        }
    }
    EXPECT_EQ(required, 23);
}

TEST_F(SettingFileTest, IntegersAcceptBlanksAndSignsButNothingElse)
{
    WriteWholeFile(Path(), FileWith("pos_left", " -250 ", false));
    CAppSetting setting;
    ASSERT_TRUE(setting.Load(Path()));
    EXPECT_EQ(setting.posLeft, -250);
}

TEST_F(SettingFileTest, BrokenFilesNeverCrashAndRestoreTheDefaults)
{
    const std::string valid = FileWith();
    const std::vector<std::string> broken = {
        "",
        "not xml at all",
        valid.substr(0, valid.size() / 2),
        valid.substr(0, valid.size() - 3),
        "<?xml version=\"1.0\"?>",
        "<setting volume=\"1\"><InfoVideo a2=\"x\"></setting>",
        std::string("\0\xff\xfe<\x01", 5),
    };
    for (const std::string& bytes : broken) {
        WriteWholeFile(Path(), bytes);
        CAppSetting setting;
        FillSample(setting, 2, 1);
        EXPECT_FALSE(setting.Load(Path())) << bytes;
        ExpectAllDefaults(setting);
        EXPECT_EQ(setting.playList.PCL_GetObjectCount(), 1u);
    }
}

TEST_F(SettingFileTest, EveryTruncationOfAFileEitherLoadsWhollyOrRestoresTheDefaults)
{
    CAppSetting saved;
    FillSample(saved, 1, 2);
    ASSERT_TRUE(saved.Save(Path()));
    const std::string whole = ReadWholeFile(Path());
    for (std::size_t length = 0; length < whole.size(); length += 11) {
        WriteWholeFile(Path(), whole.substr(0, length));
        CAppSetting setting;
        if (setting.Load(Path())) {
            ExpectSameStoredFields(setting, saved, 1);
            EXPECT_EQ(setting.favorites.PCL_GetObjectCount(), 2u);
        } else {
            ExpectAllDefaults(setting);
        }
    }
}

TEST_F(SettingFileTest, ElementsWithOtherNamesAreNotTakenForRecords)
{
    std::string text = FileWith();
    text.insert(text.find("<InfoVideo"),
                "<infovideo a2=\"lower\"/><InfoVideo2 a2=\"other\"/><favorite_x url=\"u\"/>"
                "<view_history><InfoVideo a2=\"nested\"/></view_history>");
    WriteWholeFile(Path(), text);
    CAppSetting setting;
    ASSERT_TRUE(setting.Load(Path()));
    ASSERT_EQ(setting.playList.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(setting.playList.PCL_GetObject(0)->a2, "k1");
    EXPECT_EQ(setting.history.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(setting.favorites.PCL_GetObjectCount(), 0u);
}

TEST_F(SettingFileTest, LoadReplacesTheListsInMemory)
{
    CAppSetting saved;
    FillSample(saved, 1, 2);
    ASSERT_TRUE(saved.Save(Path()));
    CAppSetting setting;
    FillSample(setting, 2, 5);
    ASSERT_TRUE(setting.Load(Path()));
    EXPECT_EQ(setting.playList.PCL_GetObjectCount(), 2u);
    EXPECT_EQ(setting.history.PCL_GetObjectCount(), 2u);
    EXPECT_EQ(setting.favorites.PCL_GetObjectCount(), 2u);
    EXPECT_EQ(setting.searchKeys.PCL_GetObjectCount(), 2u);
}
