#pragma once
// A play server on a free port with a recording request server, for tests
// that talk to it through real loopback clients while the test's thread
// runs the event loop.
#include "delivery/play_request_manager.h"
#include "play_test_client.h"
#include "support/event_wait.h"

#include <gtest/gtest.h>

namespace play_test {

class PlayServerTest : public ::testing::Test {
protected:
    PlayServerTest() { manager.SetRequestServer(&server); }
    ~PlayServerTest() override { std::filesystem::remove_all(folder); }

    std::string Host() const { return "127.0.0.1:" + std::to_string(manager.GetPort()); }
    std::string PathOf(const std::string& key) { return manager.BuildPlayUrl(key).substr(Host().size() + 7); }
    bool WaitServed(std::size_t count) { return test_support::RunEventsUntil([&] { return server.served.size() >= count; }); }
    bool WaitFinished(Client& client) { return test_support::RunEventsUntil([&] { return client.Finished(); }); }
    bool WaitRequestCount(std::size_t count)
    {
        return test_support::RunEventsUntil([&] { return manager.PCL_GetObjectCount() == count; });
    }
    // What the download manager does with a block: append it to the cache
    // file, then push it to every request of the video.
    void Deliver(const std::filesystem::path& path, const std::string& key, const std::string& bytes)
    {
        AppendToFile(path, bytes);
        for (CPlayRequest* request : manager.FindRequestsByKey(key))
            request->PushData(bytes.data(), bytes.size());
    }

    CPlayRequestManager manager;
    RecordingServer server;
    std::filesystem::path folder = MakeTempFolder();
};

}  // namespace play_test
