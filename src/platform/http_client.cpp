#include "platform/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace platform {

namespace {

std::string_view HeaderName(std::string_view line)
{
    const auto colon = line.find(':');
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    return name;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
                  return std::tolower(x) == std::tolower(y);
              });
}

std::string_view StripLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

int HttpHeaderList::Find(std::string_view name) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SameName(HeaderName(lines_[i]), name))
            return static_cast<int>(i);
    return -1;
}

void HttpHeaderList::AddIfNew(std::string_view line)
{
    line = StripLineEnd(line);
    if (line.empty() || Find(HeaderName(line)) >= 0)
        return;
    lines_.emplace_back(line);
}

void HttpHeaderList::AddOrReplace(std::string_view lines)
{
    while (!lines.empty()) {
        const auto end = lines.find('\n');
        std::string_view line = StripLineEnd(lines.substr(0, end));
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        if (line.empty() || line.find(':') == std::string_view::npos)
            continue;
        const int at = Find(HeaderName(line));
        if (at >= 0)
            lines_[static_cast<std::size_t>(at)] = std::string(line);
        else
            lines_.emplace_back(line);
    }
}

// The head of the response being received; curl reports every head of a
// redirect chain, and only the last one is kept.
class ReceivedHead final : public HttpResponse {
public:
    unsigned status = 0;
    std::vector<std::pair<std::string, std::string>> headers;

    unsigned StatusCode() const override { return status; }
    std::string QueryHeader(std::string_view name) const override
    {
        for (const auto& [key, value] : headers)
            if (SameName(key, name))
                return value;
        return {};
    }
    void Reset()
    {
        status = 0;
        headers.clear();
    }
};

// The transfer runs in a multi handle so that the body can be handed over
// in blocks of the caller's size: curl delivers at most 16 KiB per write
// callback, and a block is passed on when it is full or when curl has
// nothing more to read at the moment, whichever comes first.
struct HttpClient::Impl {
    CURL* curl = nullptr;
    CURLM* multi = nullptr;
    std::vector<char> block;
    std::size_t filled = 0;
    // The first block is held until it is long enough to tell what the
    // body is (a file signature), unless the body ends before.
    std::size_t firstBlockMin = 0;
    bool firstBlockPassed = false;
    std::string userAgent;
    long timeoutMs = 30000;
    ReceivedHead head;
    bool headDelivered = false;
    bool aborted = false;
    const Callbacks* callbacks = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::string errorText;

    bool DeliverHead()
    {
        headDelivered = true;
        if (callbacks->onHead && !callbacks->onHead(head)) {
            aborted = true;
            return false;
        }
        return true;
    }

    static size_t OnHeaderLine(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const size_t length = size * count;
        const std::string_view line = StripLineEnd(std::string_view(data, length));
        if (line.rfind("HTTP/", 0) == 0) {
            self->head.Reset();
            const auto blank = line.find(' ');
            if (blank != std::string_view::npos)
                self->head.status = static_cast<unsigned>(std::atoi(std::string(line.substr(blank + 1, 3)).c_str()));
            return length;
        }
        if (!line.empty()) {
            const auto colon = line.find(':');
            if (colon != std::string_view::npos) {
                std::string_view value = line.substr(colon + 1);
                while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                    value.remove_prefix(1);
                self->head.headers.emplace_back(std::string(HeaderName(line)), std::string(value));
            }
            return length;
        }
        // The empty line ends a head. Interim answers and redirects that
        // curl follows are not the response the caller asked for.
        const unsigned status = self->head.status;
        if (status < 200)
            return length;
        if (status >= 300 && status < 400 && !self->head.QueryHeader("Location").empty())
            return length;
        if (!self->headDelivered && !self->DeliverHead())
            return 0;
        return length;
    }

    bool Flush(bool atEnd = true)
    {
        if (filled == 0 || (!atEnd && !firstBlockPassed && filled < firstBlockMin))
            return true;
        const std::size_t count = filled;
        filled = 0;
        firstBlockPassed = true;
        if (callbacks && callbacks->onBody && !callbacks->onBody(block.data(), count)) {
            aborted = true;
            return false;
        }
        return true;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const size_t length = size * count;
        if (!self->headDelivered && !self->DeliverHead())
            return 0;
        size_t taken = 0;
        while (taken < length) {
            const size_t n = std::min(length - taken, self->block.size() - self->filled);
            std::copy_n(data + taken, n, self->block.data() + self->filled);
            self->filled += n;
            taken += n;
            if (self->filled == self->block.size() && !self->Flush())
                return 0;
        }
        return length;
    }

    // Runs the easy handle's transfer to its end; blocks that are not full
    // are passed on whenever curl has read all that was there.
    CURLcode Drive()
    {
        curl_multi_add_handle(multi, curl);
        CURLcode result = CURLE_OK;
        for (;;) {
            int active = 0;
            if (curl_multi_perform(multi, &active) != CURLM_OK) {
                result = CURLE_RECV_ERROR;
                break;
            }
            if (!Flush(active == 0) || aborted)
                break;
            if (active == 0)
                break;
            if (callbacks && callbacks->keepGoing && !callbacks->keepGoing()) {
                aborted = true;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, 200, nullptr);
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left))
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
                result = message->data.result;
        curl_multi_remove_handle(multi, curl);
        filled = 0;
        return result;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* self = static_cast<Impl*>(user);
        if (self->callbacks && self->callbacks->keepGoing && !self->callbacks->keepGoing()) {
            self->aborted = true;
            return 1;
        }
        return 0;
    }

    static size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }
};

HttpClient::HttpClient(std::string userAgent, long timeoutMs) : impl_(std::make_unique<Impl>())
{
    InitCurlOnce();
    impl_->userAgent = std::move(userAgent);
    impl_->timeoutMs = timeoutMs;
    impl_->curl = curl_easy_init();
    impl_->multi = curl_multi_init();
}

HttpClient::~HttpClient()
{
    if (impl_->curl)
        curl_easy_cleanup(impl_->curl);
    if (impl_->multi)
        curl_multi_cleanup(impl_->multi);
}

namespace {

std::mutex g_trustMutex;
std::string g_trustedCertificates;

std::string TrustedCertificates()
{
    std::lock_guard lock(g_trustMutex);
    return g_trustedCertificates;
}

}  // namespace

void HttpClient::TrustOnlyCertificatesIn(const std::string& pemFile)
{
    std::lock_guard lock(g_trustMutex);
    g_trustedCertificates = pemFile;
}

HttpClient::Outcome HttpClient::Get(const std::string& url, const HttpHeaderList& headers, std::size_t blockSize,
                                    const Callbacks& callbacks)
{
    Impl& d = *impl_;
    d.head.Reset();
    d.headDelivered = false;
    d.aborted = false;
    d.callbacks = &callbacks;
    d.errorBuffer[0] = 0;
    d.errorText.clear();
    if (!d.curl || !d.multi) {
        d.errorText = "no HTTP client";
        return Outcome::Failed;
    }

    curl_slist* list = nullptr;
    for (const auto& line : headers.Lines())
        list = curl_slist_append(list, line.c_str());

    CURL* c = d.curl;
    curl_easy_reset(c);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, d.userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, list);
    const std::string trusted = TrustedCertificates();
    if (!trusted.empty())
        curl_easy_setopt(c, CURLOPT_CAINFO, trusted.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, d.timeoutMs);
    // A transfer that delivers nothing for the whole time-out is given up,
    // as a read that times out would be.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, std::max(1L, d.timeoutMs / 1000));
    d.block.assign(std::max<std::size_t>(blockSize, 1), '\0');
    d.filled = 0;
    d.firstBlockMin = std::min<std::size_t>(d.block.size(), 1024);
    d.firstBlockPassed = false;
    // curl reads the socket in pieces of this size; larger reads mean fewer
    // system calls, and the blocks handed on keep the caller's size.
    const long buffer = static_cast<long>(std::clamp<std::size_t>(std::max<std::size_t>(blockSize, 256 * 1024), 1024, CURL_MAX_READ_SIZE));
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, buffer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Impl::OnHeaderLine);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &d);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &d);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Impl::OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &d);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, d.errorBuffer);

    const CURLcode result = d.Drive();
    // A response with neither body nor final head (204, an empty 404) still
    // reports its head.
    if (result == CURLE_OK && !d.headDelivered && d.head.status >= 200)
        d.DeliverHead();
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(list);
    d.callbacks = nullptr;
    if (d.aborted)
        return Outcome::Aborted;
    if (result != CURLE_OK) {
        d.errorText = d.errorBuffer[0] ? d.errorBuffer : curl_easy_strerror(result);
        return Outcome::Failed;
    }
    return Outcome::Complete;
}

bool HttpClient::Head(const std::string& url, const std::function<bool()>& keepGoing)
{
    Impl& d = *impl_;
    if (!d.curl || !d.multi)
        return false;
    CURL* c = d.curl;
    Callbacks callbacks;
    callbacks.keepGoing = keepGoing;
    d.callbacks = &callbacks;
    d.aborted = false;
    // Same handles, so curl takes the previous connection when it is still open.
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Impl::Discard);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Impl::Discard);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 1L);
    const CURLcode result = d.Drive();
    d.callbacks = nullptr;
    if (result != CURLE_OK)
        d.errorText = curl_easy_strerror(result);
    return result == CURLE_OK && !d.aborted;
}

bool HttpClient::GotResponse() const
{
    return impl_->headDelivered;
}

std::string HttpClient::ErrorText() const
{
    return impl_->errorText;
}

}  // namespace platform
