#include "common/string_table.h"

#include <gtest/gtest.h>

TEST(StringTable, HoldsTheQuotedTextsAndNothingForUnknownIds)
{
    EXPECT_EQ(LoadString(IDS_PRODUCT_NAME), "Quelt");
    EXPECT_EQ(LoadString(30003), "playxev://");
    EXPECT_EQ(LoadString(30070), "已缓冲: %d%%\r\n总长度: %.2f Mb");
    EXPECT_EQ(LoadString(30100), "Vista系统用户可能会提示是否运行AutoUpdate.exe，此为升级程序");
    EXPECT_EQ(LoadString(29999), "");
    EXPECT_EQ(LoadString(30009), "");
    for (int id = 30000; id <= 30100; ++id)
        EXPECT_EQ(LoadString(id).find('\0'), std::string::npos);
}
