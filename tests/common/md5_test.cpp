#include "common/md5.h"

#include <gtest/gtest.h>

#include <string>

TEST(Md5, Rfc1321TestSuite)
{
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PaddingBoundariesAndChunkedInputAgree)
{
    // Lengths around the 56- and 64-byte padding edges, fed whole and in
    // uneven pieces, must give one digest.
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        const std::string text(length, 'x');
        Md5 pieces;
        for (std::size_t i = 0; i < length; i += 7)
            pieces.Update(text.data() + i, std::min<std::size_t>(7, length - i));
        Md5 whole;
        whole.Update(text.data(), text.size());
        EXPECT_EQ(pieces.Finish(), whole.Finish()) << length;
    }
    EXPECT_EQ(Md5Hex(std::string(1000, 'x')), "398533d48111e9f664b1f64cb10c4b63");
}

TEST(Md5, DigestsTheUtf8BytesOfATextAndKeepsZeroBytes)
{
    EXPECT_EQ(Md5Hex("视频"), "7fcf42edf5817042904f4a122ff77582");
    EXPECT_NE(Md5Hex(std::string("a\0b", 3)), Md5Hex("a"));
}
