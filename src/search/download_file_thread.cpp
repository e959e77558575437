#include "search/download_file_thread.h"

#include "common/base64.h"
#include "platform/http_client.h"
#include "platform/window.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace {

constexpr std::size_t kBlockSize = 8192;

std::int64_t ParseLength(const std::string& text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

// A body of unknown length goes to a temporary file first, as the data
// may be large before it is known to be too large.
class TemporaryBody {
public:
    TemporaryBody()
    {
        std::error_code error;
        std::string name = (std::filesystem::temp_directory_path(error) / "downloadtmp-XXXXXX").string();
        const int fd = ::mkstemp(name.data());
        if (fd >= 0) {
            path_ = name;
            file_ = ::fdopen(fd, "w+b");
        }
    }
    ~TemporaryBody()
    {
        if (file_)
            std::fclose(file_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    bool Append(const char* data, std::size_t size)
    {
        if (!file_ || std::fwrite(data, 1, size, file_) != size)
            return false;
        size_ += static_cast<std::int64_t>(size);
        return true;
    }
    std::int64_t Size() const { return size_; }
    bool ReadAll(std::string& out)
    {
        if (!file_ || std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)
            return false;
        out.resize(static_cast<std::size_t>(size_));
        return std::fread(out.data(), 1, out.size(), file_) == out.size();
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
};

class Download {
public:
    Download(HWND window, std::string url, std::shared_ptr<DownFileThreadState> state, DownFileLimits limits)
        : window_(window), url_(std::move(url)), state_(std::move(state)), limits_(limits),
          client_(kDownFileAgent, limits.connectTimeoutMs)
    {
    }

    void Run()
    {
        const DownFileMessages& m = GetDownFileMessages();
        const bool haveData = Fetch() && !data_.empty();
        if (silent_)
            return;
        if (!WindowAlive())
            return;
        if (haveData) {
            DownFileFinished finished{url_, data_.data(), data_.size()};
            platform::SendMessage(window_, m.downFinished, 0, reinterpret_cast<LPARAM>(&finished));
        } else {
            DownFileUrl error{url_};
            platform::SendMessage(window_, m.error, 0, reinterpret_cast<LPARAM>(&error));
        }
    }

private:
    bool WindowAlive() const { return !state_->stop.load() && platform::IsWindow(window_); }

    // True when the whole body is in data_.
    bool Fetch()
    {
        platform::HttpHeaderList headers;
        headers.AddIfNew("Cache-Control: no-cache");
        headers.AddIfNew("Pragma: no-cache");
        unsigned status = Get(headers);
        if (status == 407 && !silent_ && WindowAlive()) {
            // The proxy wants credentials: the owner may give them, and the
            // request goes again with them.
            DownFileProxyValidate validate{url_, {}, {}};
            platform::SendMessage(window_, GetDownFileMessages().proxyValidate, 0, reinterpret_cast<LPARAM>(&validate));
            headers.AddOrReplace("Proxy-Authorization: Basic "
                                 + Base64Encode(validate.userName + ":" + validate.password) + "\r\n");
            status = Get(headers);
        }
        return status == 200 && complete_;
    }

    // One GET; its status (0 without an answer). Sets complete_ when the
    // body arrived whole within the limit.
    unsigned Get(const platform::HttpHeaderList& headers)
    {
        unsigned status = 0;
        std::int64_t total = 0;
        bool tooLarge = false;
        complete_ = false;
        data_.clear();
        std::unique_ptr<TemporaryBody> temporary;
        platform::HttpClient::Callbacks callbacks;
        callbacks.keepGoing = [this] { return WindowAlive(); };
        callbacks.onHead = [&](const platform::HttpResponse& response) {
            status = response.StatusCode();
            if (status != 200)
                return false;
            const DownFileMessages& m = GetDownFileMessages();
            DownFileCheckTime check{url_, response.QueryHeader("Last-Modified")};
            if (!WindowAlive()
                || platform::SendMessage(window_, m.checkTime, 0, reinterpret_cast<LPARAM>(&check)) == 0) {
                silent_ = true;
                return false;
            }
            total = ParseLength(response.QueryHeader("Content-Length"));
            DownFileUrl start{url_};
            platform::SendMessage(window_, m.startDownload, 0, reinterpret_cast<LPARAM>(&start));
            if (total > static_cast<std::int64_t>(limits_.maxBody)) {
                tooLarge = true;
                return false;
            }
            if (total > 0)
                data_.reserve(static_cast<std::size_t>(total) + 8);
            else
                temporary = std::make_unique<TemporaryBody>();
            return WindowAlive();
        };
        callbacks.onBody = [&](const char* data, std::size_t size) {
            std::int64_t received = 0;
            if (temporary) {
                if (!temporary->Append(data, size))
                    return false;
                received = temporary->Size();
            } else {
                data_.append(data, size);
                received = static_cast<std::int64_t>(data_.size());
            }
            if (received > static_cast<std::int64_t>(limits_.maxBody)) {
                tooLarge = true;
                return false;
            }
            if (!WindowAlive())
                return false;
            DownFileProgress progress{url_, received, total};
            platform::SendMessage(window_, GetDownFileMessages().progress, 0, reinterpret_cast<LPARAM>(&progress));
            return WindowAlive();
        };
        const auto outcome = client_.Get(url_, headers, kBlockSize, callbacks);
        if (status != 200 || tooLarge || outcome != platform::HttpClient::Outcome::Complete)
            return status;
        if (temporary)
            complete_ = temporary->ReadAll(data_);
        else
            complete_ = static_cast<std::int64_t>(data_.size()) == total;
        if (!complete_)
            data_.clear();
        return status;
    }

    HWND window_;
    std::string url_;
    std::shared_ptr<DownFileThreadState> state_;
    DownFileLimits limits_;
    platform::HttpClient client_;
    std::string data_;
    bool complete_ = false;
    bool silent_ = false;
};

}  // namespace

const DownFileMessages& GetDownFileMessages()
{
    static const DownFileMessages messages{
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_CHECKTIME"),
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_DOWNFINISHED"),
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_PROXYVALIDATE"),
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_PROGRESS"),
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_ERROR"),
        platform::RegisterWindowMessage("ZORVAN_WM_DOWNFILE_STARTDOWNLOAD"),
    };
    return messages;
}

void RunFileDownload(HWND window, const std::string& url, std::shared_ptr<DownFileThreadState> state,
                     DownFileLimits limits)
{
    {
        Download download(window, url, state, limits);
        download.Run();
    }
    state->ended.store(true);
}
