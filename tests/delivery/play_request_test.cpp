// The play server's pieces that need no player: URLs, ports, the cache file
// reader and 64-bit sizes.
#include "delivery/cache_file_reader.h"
#include "delivery/play_request_manager.h"
#include "play_test_client.h"

#include <gtest/gtest.h>

#include <ifaddrs.h>

#include <regex>

namespace fs = std::filesystem;
using namespace play_test;

TEST(PlayUrl, NamesLoopbackPortBase64KeyMarkerAndAGrowingSerial)
{
    CPlayRequestManager manager;
    ASSERT_GE(manager.GetPort(), CPlayRequestManager::kFirstPort);
    const std::string prefix = "http://127.0.0.1:" + std::to_string(manager.GetPort()) + "/";

    const std::string first = manager.BuildPlayUrl("abc");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(first, match, std::regex(R"((.*)YWJj-&flag&-([1-9][0-9]*))")));
    EXPECT_EQ(match[1].str(), prefix);
    const std::uint64_t serial = std::stoull(match[2].str());

    EXPECT_EQ(manager.BuildPlayUrl("abc"), prefix + "YWJj-&flag&-" + std::to_string(serial + 1));
    EXPECT_EQ(manager.BuildPlayUrl(""), prefix + "-&flag&-" + std::to_string(serial + 2));
}

TEST(PlayServerPort, SkipsAPortAnotherProgramHolds)
{
    // A program listening on every address holds the port for loopback too.
    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);
    socklen_t length = sizeof where;
    ::getsockname(blocker, reinterpret_cast<sockaddr*>(&where), &length);
    const int taken = ntohs(where.sin_port);

    CPlayRequestManager manager(taken);
    EXPECT_GT(manager.GetPort(), taken);
    EXPECT_NE(manager.BuildPlayUrl("abc").find(":" + std::to_string(manager.GetPort()) + "/"), std::string::npos);
    ::close(blocker);
}

TEST(PlayServerPort, IsNotReachableFromOtherAddressesOfThisMachine)
{
    CPlayRequestManager manager;
    ifaddrs* addresses = nullptr;
    ASSERT_EQ(::getifaddrs(&addresses), 0);
    int tried = 0;
    for (ifaddrs* a = addresses; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        sockaddr_in where = *reinterpret_cast<sockaddr_in*>(a->ifa_addr);
        if ((ntohl(where.sin_addr.s_addr) >> 24) == 127)
            continue;
        where.sin_port = htons(static_cast<std::uint16_t>(manager.GetPort()));
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
        ::close(fd);
        ++tried;
    }
    ::freeifaddrs(addresses);
    if (tried == 0)
        GTEST_SKIP() << "this machine has no address besides loopback";
}

class CacheFileReaderTest : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder = MakeTempFolder();
};

TEST_F(CacheFileReaderTest, AFileOfExactlyFourGigabytesIsAttached)
{
    // Its size has nothing in the low 32 bits.
    const fs::path path = folder / "four";
    { std::ofstream create(path, std::ios::binary); }
    fs::resize_file(path, std::uintmax_t{1} << 32);
    CPlayRequestManager manager;
    CPlayRequest request(manager);
    request.AttachCacheFile(path.string());
    EXPECT_TRUE(request.HasCacheReader());
}
