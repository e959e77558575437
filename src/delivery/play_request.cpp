#include "delivery/play_request.h"

#include "common/base64.h"
#include "delivery/cache_file_reader.h"
#include "delivery/play_request_manager.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kPlainHeader = "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nConnection: close\r\n\r\n";
constexpr const char* kMarker = "-&flag&-";
constexpr std::size_t kMaxRequestSize = 8192;
constexpr std::size_t kMaxBlock = 65536;

std::string Trim(std::string text)
{
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), isBlank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), isBlank).base(), text.end());
    return text;
}

// The value of the request's Host header; found is false without one.
std::string FindHostHeader(const std::string& request, bool& found)
{
    found = false;
    std::size_t start = request.find('\n');
    while (start != std::string::npos && start + 1 < request.size()) {
        const std::size_t lineStart = start + 1;
        const std::size_t lineEnd = request.find('\n', lineStart);
        const std::string line = request.substr(lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = Trim(line.substr(0, colon));
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            if (name == "host") {
                found = true;
                return Trim(line.substr(colon + 1));
            }
        }
        start = lineEnd;
    }
    return {};
}

}  // namespace

CPlayRequest::CPlayRequest(CPlayRequestManager& manager) : manager_(manager)
{
    header_.Assign(kPlainHeader);
}

CPlayRequest::~CPlayRequest() = default;

void CPlayRequest::SetComplete(bool complete)
{
    complete_ = complete;
    RearmSend();
}

void CPlayRequest::SetContentLength(std::int64_t length)
{
    // Only a header of which nothing has gone out can still be replaced.
    if (header_.UnsentText().starts_with("HTTP/1.1 ")) {
        header_.Assign("HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: " + std::to_string(length)
                       + "\r\nConnection: close\r\n\r\n");
    }
    RearmSend();
}

void CPlayRequest::AttachCacheFile(const std::string& path)
{
    const std::int64_t size = GetFileSize64(path);
    if (size > 0) {
        cachePath_ = path;
        // The body is the file from byte 0, so a request that has already
        // sent part of it continues from there; unsent pushed bytes are in
        // the file too and come from it now.
        if (bodySent_ < size) {
            reader_ = std::make_unique<CacheFileReader>(path, bodySent_, size);
            live_.Clear();
            liveFileOffset_ = size;
        }
    }
    RearmSend();
}

void CPlayRequest::PushData(const char* data, std::size_t count)
{
    live_.Append(data, count);
    if (live_.Unsent() > manager_.GetLiveDataLimit() && !cachePath_.empty())
        MoveLiveDataToFile();
    RearmSend();
}

// The download appended these bytes to the cache file before pushing them,
// so they can be dropped from memory and read back from the file at the
// same offsets: the reader's span grows over them, and pushes that follow
// go on from the new end.
void CPlayRequest::MoveLiveDataToFile()
{
    const std::int64_t unsent = live_.Unsent();
    if (reader_)
        reader_->ExtendEnd(liveFileOffset_ + unsent);
    else
        reader_ = std::make_unique<CacheFileReader>(cachePath_, liveFileOffset_, liveFileOffset_ + unsent);
    liveFileOffset_ += unsent;
    live_.Clear();
}

void CPlayRequest::EndRequest()
{
    // One notice only: a second one could reach a later request that
    // happens to be allocated at the same address.
    if (ended_)
        return;
    ended_ = true;
    key_.clear();
    platform::PostMessage(manager_.GetSafeHwnd(), WM_PLAYREQUEST_DONE, reinterpret_cast<WPARAM>(this), 0);
}

void CPlayRequest::OnReceive()
{
    char buffer[kMaxRequestSize];
    const std::int64_t count = Receive(buffer, sizeof buffer);
    if (count < 0) {
        EndRequest();
        return;
    }
    // After the request, whatever the player sends is read away unseen.
    if (parsed_ || ended_ || count == 0)
        return;
    received_.append(buffer, static_cast<std::size_t>(count));
    HandleRequestText();
}

// Waits for the whole request header, so that a request split over several
// reads is still understood and the Host header can be checked.
void CPlayRequest::HandleRequestText()
{
    const std::size_t zero = received_.find('\0');
    const std::string text = zero == std::string::npos ? received_ : received_.substr(0, zero);
    const bool headerDone = text.find("\r\n\r\n") != std::string::npos || text.find("\n\n") != std::string::npos;
    if (!headerDone) {
        if (zero != std::string::npos || received_.size() >= kMaxRequestSize)
            EndRequest();
        return;
    }
    received_.clear();
    const std::size_t lineEnd = text.find_first_of("\r\n");
    bool hasHost = false;
    const std::string host = FindHostHeader(text, hasHost);
    if (!ParseRequestLine(text.substr(0, lineEnd)) || (hasHost && !manager_.IsAllowedHost(host))) {
        EndRequest();
        return;
    }
    parsed_ = true;
    manager_.OnRequestParsed(*this);
}

bool CPlayRequest::ParseRequestLine(const std::string& line)
{
    const std::size_t slash = line.find('/');
    if (slash == std::string::npos)
        return false;
    const std::size_t marker = line.find(kMarker, slash + 1);
    if (marker == std::string::npos)
        return false;
    const std::size_t blank = line.find(' ', marker + 1);
    if (blank == std::string::npos)
        return false;
    path_ = line.substr(slash, blank - slash);
    key_ = Base64Decode(std::string_view(line).substr(slash + 1, marker - slash - 1));
    return true;
}

PlayRequestBuffer* CPlayRequest::NextSource()
{
    if (!header_.IsEmpty())
        return &header_;
    if (reader_) {
        reader_->Refill();
        if (!reader_->Chunk().IsEmpty())
            return &reader_->Chunk();
        if (reader_->Next() < reader_->End()) {
            // The file is shorter than the bytes it held: the download is
            // writing it again from byte 0. Sending pushed data now would
            // leave a gap, so wait until the next push re-arms; a request
            // that expects no more pushes ends here.
            if (complete_)
                EndRequest();
            return nullptr;
        }
        // Done with the file: pushed data follows.
        reader_.reset();
        RearmSend();
        return nullptr;
    }
    if (live_.IsEmpty()) {
        // Sleeps until more data, a new header or completion re-arms it.
        if (complete_)
            EndRequest();
        return nullptr;
    }
    return &live_;
}

void CPlayRequest::OnSend()
{
    if (ended_)
        return;
    PlayRequestBuffer* source = NextSource();
    if (!source)
        return;
    const auto size = static_cast<std::size_t>(std::min<std::int64_t>(source->Unsent(), kMaxBlock));
    const std::int64_t sent = Send(source->UnsentData(), size);
    if (sent < 0) {
        // Reset or broken: nobody is reading any more.
        EndRequest();
        return;
    }
    if (source != &header_)
        bodySent_ += sent;
    if (source == &live_)
        liveFileOffset_ += sent;
    source->Consume(static_cast<std::size_t>(sent));
    RearmSend();
}

void CPlayRequest::OnClose()
{
    EndRequest();
}
