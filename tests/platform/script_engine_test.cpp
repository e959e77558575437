// The link scripts' engine: globals read back as text, failures of every
// kind, a fresh scope after a reset, and a script that never ends.
#include "platform/script/script_engine.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(ScriptEngineTest, AGlobalIsReadBackOnlyWhenItHoldsAString)
{
    platform::ScriptEngine engine;
    ASSERT_TRUE(engine.AddCode("var ret = 'http://a/s?q=' + encodeURIComponent('x y');"));
    EXPECT_EQ(engine.GlobalString("ret"), "http://a/s?q=x%20y");
    ASSERT_TRUE(engine.AddCode("ret = '中文';"));
    EXPECT_EQ(engine.GlobalString("ret"), "中文");
    ASSERT_TRUE(engine.AddCode("ret = 42;"));
    EXPECT_EQ(engine.GlobalString("ret"), std::nullopt) << "a number is no address";
    EXPECT_EQ(engine.GlobalString("missing"), std::nullopt);
    engine.Reset();
    EXPECT_EQ(engine.GlobalString("ret"), std::nullopt) << "nothing survives a reset";
}

TEST(ScriptEngineTest, SyntaxErrorsThrowsAndEndlessLoopsFail)
{
    platform::ScriptEngine engine;
    EXPECT_FALSE(engine.AddCode("ret = 'a"));
    EXPECT_EQ(engine.GlobalString("ret"), std::nullopt) << "a syntax error runs nothing";
    EXPECT_FALSE(engine.AddCode("ret = 'set'; throw new Error('no');"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(engine.AddCode("ret = 'x'; for (;;) {}", 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "interrupted at its limit";
    // The engine works on after each of them.
    EXPECT_TRUE(engine.AddCode("ret = 'next';"));
    EXPECT_EQ(engine.GlobalString("ret"), "next");
}

}  // namespace

#include "platform/text_codec.h"

namespace {

TEST(TextCodecTest, KeywordsInTheSiteCharacterSet)
{
    EXPECT_EQ(platform::EncodeFromUtf8("测试", "GBK"), std::string("\xb2\xe2\xca\xd4"));
    EXPECT_EQ(platform::EncodeFromUtf8("测试", "gb2312"), std::string("\xb2\xe2\xca\xd4"));
    EXPECT_EQ(platform::EncodeFromUtf8("abc", "utf-8"), "abc");
    EXPECT_EQ(platform::EncodeFromUtf8("abc", "no-such-set"), std::nullopt);
    EXPECT_EQ(platform::EncodeFromUtf8("😀", "gb2312"), std::nullopt) << "a character the set cannot hold";
}

}  // namespace
