#include "app/app_skin_color_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(AppSkinColorSettingsTest, ReadsTheStoreFieldsLive)
{
    CAppSetting setting;
    CAppSkinColorSettings colours(setting);
    setting.skinColorTone = 0x00123456;
    setting.skinSaturation = 140;
    EXPECT_EQ(colours.GetTone(), 0x00123456);
    EXPECT_EQ(colours.GetVividness(), 140);
    setting.skinColorTone = 0;
    EXPECT_EQ(colours.GetTone(), 0);
}

}  // namespace
