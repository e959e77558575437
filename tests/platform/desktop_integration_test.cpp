// Autostart and the .flv association in their freedesktop forms, written
// into a temporary home so that the user's own desktop is never touched.
#include "platform/desktop_integration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DesktopIntegrationTest : public ::testing::Test {
protected:
    DesktopIntegrationTest()
    {
        home = fs::temp_directory_path() / ("quelt-desktop-" + std::to_string(::getpid()));
        fs::create_directories(home);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    }
    ~DesktopIntegrationTest() override
    {
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(home);
    }
    fs::path home;
    platform::DesktopIntegration desktop{"/opt/quelt/quelt"};
};

TEST_F(DesktopIntegrationTest, AutoStartIsWrittenReadBackAndRemoved)
{
    EXPECT_FALSE(desktop.IsAutoStart());
    ASSERT_TRUE(desktop.SetAutoStart(true));
    EXPECT_TRUE(desktop.IsAutoStart());
    EXPECT_NE(Read(desktop.AutoStartFile()).find("Exec=\"/opt/quelt/quelt\"\n"), std::string::npos);
    EXPECT_FALSE(platform::DesktopIntegration("/elsewhere/quelt").IsAutoStart()) << "another copy is not this one";
    ASSERT_TRUE(desktop.SetAutoStart(false));
    EXPECT_FALSE(desktop.IsAutoStart());
    EXPECT_FALSE(fs::exists(desktop.AutoStartFile()));
}

TEST_F(DesktopIntegrationTest, TheAssociationReplacesAnotherProgramsAndLeavesTheRestOfTheFileAlone)
{
    fs::create_directories(home / "config");
    std::ofstream(desktop.MimeAppsFile()) << "[Added Associations]\nvideo/mp4=vlc.desktop;\n"
                                             "[Default Applications]\ntext/plain=gedit.desktop\nvideo/x-flv=vlc.desktop\n";
    EXPECT_FALSE(desktop.IsFlvAssociated());
    EXPECT_TRUE(desktop.DissociateFlv()) << "not ours: nothing to undo";
    EXPECT_NE(Read(desktop.MimeAppsFile()).find("video/x-flv=vlc.desktop"), std::string::npos);

    ASSERT_TRUE(desktop.AssociateFlv());
    EXPECT_TRUE(desktop.IsFlvAssociated());
    const std::string associated = Read(desktop.MimeAppsFile());
    EXPECT_EQ(associated, "[Added Associations]\nvideo/mp4=vlc.desktop;\n[Default Applications]\n"
                          "video/x-flv=quelt-flv.desktop\ntext/plain=gedit.desktop\n");
    EXPECT_NE(Read(desktop.AssociationFile()).find("Exec=\"/opt/quelt/quelt\" %f\n"), std::string::npos);
    ASSERT_TRUE(desktop.AssociateFlv());
    EXPECT_EQ(Read(desktop.MimeAppsFile()), associated) << "associating twice changes nothing";

    ASSERT_TRUE(desktop.DissociateFlv());
    EXPECT_FALSE(desktop.IsFlvAssociated());
    EXPECT_EQ(Read(desktop.MimeAppsFile()),
              "[Added Associations]\nvideo/mp4=vlc.desktop;\n[Default Applications]\ntext/plain=gedit.desktop\n");
    EXPECT_FALSE(fs::exists(desktop.AssociationFile()));
}

TEST_F(DesktopIntegrationTest, AnAssociationWithoutAnyFileStartsThem)
{
    ASSERT_TRUE(desktop.AssociateFlv());
    EXPECT_EQ(Read(desktop.MimeAppsFile()), "[Default Applications]\nvideo/x-flv=quelt-flv.desktop\n");
    EXPECT_TRUE(desktop.IsFlvAssociated());
}

// The menu entry (written by the install) and the .flv association are
// independent: turning the association off keeps the program in the menu.
TEST_F(DesktopIntegrationTest, DissociatingKeepsTheMenuEntry)
{
    ASSERT_TRUE(desktop.WriteMenuEntry());
    const std::string menuEntry = Read(desktop.ApplicationFile());
    ASSERT_TRUE(desktop.AssociateFlv());
    ASSERT_TRUE(desktop.IsFlvAssociated());
    ASSERT_TRUE(desktop.DissociateFlv());
    EXPECT_FALSE(desktop.IsFlvAssociated());
    EXPECT_EQ(Read(desktop.ApplicationFile()), menuEntry) << "the menu entry is untouched";

    // And the association stands without a menu entry.
    ASSERT_TRUE(desktop.RemoveMenuEntry());
    EXPECT_FALSE(fs::exists(desktop.ApplicationFile()));
    ASSERT_TRUE(desktop.AssociateFlv());
    EXPECT_TRUE(desktop.IsFlvAssociated());
    EXPECT_FALSE(fs::exists(desktop.ApplicationFile())) << "associating writes no menu entry";
}

}  // namespace
