#include "common/base64.h"

#include <gtest/gtest.h>

TEST(Base64, Rfc4648Vectors)
{
    const char* cases[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},       {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (auto& c : cases) {
        EXPECT_EQ(Base64Encode(c[0]), c[1]);
        EXPECT_EQ(Base64Decode(c[1]), c[0]);
    }
}

TEST(Base64, EncodesEveryByteValueAndRoundTrips)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const std::string encoded = Base64Encode(all);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(Base64DecodeBytes(encoded), all);
    EXPECT_EQ(Base64Encode("\xfb\xff"), "+/8=");
}

TEST(Base64, LenientDecoderSkipsWhatIsNotInTheAlphabet)
{
    EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(Base64Decode(" Z m 9 v *!"), "foo");
    // Padding in the middle is skipped like any other stray character, so
    // the groups on both sides run together.
    EXPECT_EQ(Base64Decode("Zg==Zm8="), Base64Decode("ZgZm8"));
    EXPECT_EQ(Base64Decode("Zm9v=YmFy"), "foobar");
    EXPECT_EQ(Base64Decode("Zm9vY"), "foo");       // a lone trailing digit adds nothing
    EXPECT_EQ(Base64Decode("Zm9vYm"), "foob");
    EXPECT_EQ(Base64Decode("@@@@"), "");
}

TEST(Base64, TextDecoderStopsAtTheFirstZeroByte)
{
    const std::string withZero("ab\0cd", 5);
    const std::string encoded = Base64Encode(withZero);
    EXPECT_EQ(Base64Decode(encoded), "ab");
    EXPECT_EQ(Base64DecodeBytes(encoded), withZero);
    EXPECT_EQ(Base64Decode(Base64Encode(std::string("\0x", 2))), "");
}
