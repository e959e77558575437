// The terminal's lines of a play: one per event, the cached share at most
// once per tenth and again for each new video.
#include "app/terminal_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The lines written, read back from a memory stream.
class Captured {
public:
    Captured() : file_(open_memstream(&buffer_, &size_)) {}
    ~Captured()
    {
        std::fclose(file_);
        std::free(buffer_);
    }
    std::FILE* File() { return file_; }
    std::string Text()
    {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

TEST(TerminalReportTest, ThePlayingVideosCachedShareIsToldAtMostOncePerTenth)
{
    Captured out;
    CTerminalReport report(out.File());
    report.LookingUp("http://site/page");
    report.Detected("http://site/v.flv");
    for (const int percent : {0, 0, 3, 5, 9, 10, 14, 19, 20, 55, 56, 100, 100, 120})
        report.Caching("page", percent);
    report.Playing("http://127.0.0.1:1/key");
    EXPECT_EQ(out.Text(), "quelt: looking up http://site/page\n"
                          "quelt: detected http://site/v.flv\n"
                          "quelt: caching 3 %\n"
                          "quelt: caching 10 %\n"
                          "quelt: caching 20 %\n"
                          "quelt: caching 55 %\n"
                          "quelt: caching 100 %\n"
                          "quelt: playing http://127.0.0.1:1/key\n");

    // Another video starts its count again.
    Captured next;
    CTerminalReport second(next.File());
    second.Caching("one", 50);
    second.Caching("two", 20);
    second.Caching("two", 25);
    second.Failed("无法播放此视频");
    EXPECT_EQ(next.Text(), "quelt: caching 50 %\nquelt: caching 20 %\nquelt: failed: 无法播放此视频\n");
}

}  // namespace
