#include "delivery/play_request.h"

#include "common/base64.h"
#include "common/stream_start.h"
#include "delivery/cache_file_reader.h"
#include "delivery/play_request_manager.h"
#include "delivery/play_response.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kMarker = "-&flag&-";
constexpr const char* kPagePrefix = "/player/";
constexpr std::size_t kMaxRequestSize = 8192;
constexpr std::size_t kMaxBlock = 65536;

std::size_t ReadFileStart(const std::string& path, char* buffer, std::size_t size)
{
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    const std::size_t count = std::fread(buffer, 1, size, file);
    std::fclose(file);
    return count;
}

}  // namespace

CPlayRequest::CPlayRequest(CPlayRequestManager& manager)
    : manager_(manager), acceptedAt_(std::chrono::steady_clock::now())
{
    static std::uint64_t lastSerial = 0;
    serial_ = ++lastSerial;
}

CPlayRequest::~CPlayRequest() = default;

void CPlayRequest::SetComplete(bool complete)
{
    complete_ = complete;
    // The cache file now holds every byte: a relayed span reads it again.
    if (complete && !spanPath_.empty())
        ReadSpanFrom({}, 0);
    if (mode_ == Mode::Span)
        ExtendSpanToFile();
    RearmSend();
}

std::optional<ByteSpan> CPlayRequest::ResolveRange(std::int64_t total) const
{
    if (!range_ || total <= 0)
        return std::nullopt;
    return ResolveByteRange(*range_, total);
}

void CPlayRequest::ReadSpanFrom(const std::string& path, std::int64_t fileBase)
{
    spanPath_ = path;
    spanFileBase_ = path.empty() ? 0 : fileBase;
    if (mode_ == Mode::Span && reader_) {
        const std::int64_t next = reader_->Next();
        reader_ = std::make_unique<CacheFileReader>(SpanFile(), next, next, spanFileBase_);
        ExtendSpanToFile();
    }
    RearmSend();
}

const std::string& CPlayRequest::SpanFile() const
{
    return spanPath_.empty() ? cachePath_ : spanPath_;
}

void CPlayRequest::SetContentLength(std::int64_t total)
{
    if (mode_ == Mode::Waiting)
        total_ = total;
    RearmSend();
}

void CPlayRequest::AttachCacheFile(const std::string& path)
{
    if (mode_ == Mode::Span) {
        ExtendSpanToFile();
    } else if (mode_ != Mode::Error) {
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
    }
    RearmSend();
}

void CPlayRequest::PushData(const char* data, std::size_t count)
{
    if (mode_ == Mode::Span) {
        // The block is in the cache file already; the span reads it there.
        ExtendSpanToFile();
    } else if (mode_ != Mode::Error) {
        live_.Append(data, count);
        if (live_.Unsent() > manager_.GetLiveDataLimit() && !cachePath_.empty())
            MoveLiveDataToFile();
    }
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

void CPlayRequest::AnswerError(int status, std::int64_t total)
{
    if (ended_)
        return;
    if (mode_ != Mode::Waiting) {
        EndRequest();
        return;
    }
    parsed_ = true;
    mode_ = Mode::Error;
    key_.clear();
    reader_.reset();
    live_.Clear();
    header_.Assign(BuildPlayErrorAnswer(status, total));
    RearmSend();
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
        HandlePeerGone();
        return;
    }
    // After the request head, whatever the player sends is read away unseen.
    if (parsed_ || ended_ || count == 0)
        return;
    received_.append(buffer, static_cast<std::size_t>(count));
    HandleRequestText();
}

// Waits for the whole request head, so that a request split over several
// reads is still understood and its headers can be checked.
void CPlayRequest::HandleRequestText()
{
    const std::size_t end = FindHeadEnd(received_);
    if (received_.find('\0', 0) < std::min(end, received_.size())) {
        AnswerError(400);
        return;
    }
    if (end == std::string::npos) {
        if (received_.size() >= kMaxRequestSize)
            EndRequest();
        return;
    }
    parsed_ = true;
    const std::optional<HttpRequestHead> head = ParseHttpRequestHead(std::string_view(received_).substr(0, end));
    received_.clear();
    received_.shrink_to_fit();
    if (!head) {
        AnswerError(400);
        return;
    }
    const std::vector<std::string> hosts = head->Values("Host");
    if (hosts.size() > 1) {
        AnswerError(400);
        return;
    }
    // A foreign Host or a path that is no play URL gets no answer at all:
    // nothing tells a prober that this is the play server.
    if (hosts.size() == 1 && !manager_.IsAllowedHost(hosts.front())) {
        EndRequest();
        return;
    }
    const bool pageFile = head->target.starts_with(kPagePrefix);
    if (!pageFile && !TakePlayTarget(head->target)) {
        EndRequest();
        return;
    }
    if (head->method != "GET" && head->method != "HEAD") {
        AnswerError(405);
        return;
    }
    headOnly_ = head->method == "HEAD";
    range_ = ParseByteRange(head->Values("Range"));
    if (pageFile) {
        if (!ServePageFile(head->target))
            AnswerError(404);
        return;
    }
    manager_.OnRequestParsed(*this);
}

// "/player/<name>": a plain file name of the page folder, nothing else.
bool CPlayRequest::ServePageFile(const std::string& target)
{
    const std::string name = target.substr(std::string_view(kPagePrefix).size());
    const bool plain = !name.empty() && name.front() != '.'
                       && name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-")
                              == std::string::npos;
    if (!plain || manager_.GetPageFolder().empty())
        return false;
    const std::string path = manager_.GetPageFolder() + "/" + name;
    const std::int64_t size = GetFileSize64(path);
    if (size < 0)
        return false;
    static const std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"}, {".css", "text/css"}};
    for (const auto& [extension, type] : kTypes)
        if (name.ends_with(extension))
            contentType_ = type;
    path_ = target;
    pageFile_ = true;
    SetCacheFilePath(path);
    SetContentLength(size);
    AttachCacheFile(path);
    SetComplete(true);
    return true;
}

// "/" + Base64 of the key + "-&flag&-" + serial.
bool CPlayRequest::TakePlayTarget(const std::string& target)
{
    if (!target.starts_with('/'))
        return false;
    const std::size_t marker = target.find(kMarker, 1);
    if (marker == std::string::npos)
        return false;
    path_ = target;
    key_ = Base64Decode(std::string_view(target).substr(1, marker - 1));
    return true;
}

bool CPlayRequest::ComposeHead()
{
    const bool haveData = reader_ != nullptr || !live_.IsEmpty();
    // The head names the type, which the first bytes tell: until they do
    // (a download that has only just answered), it waits for more.
    if (!complete_ && contentType_.empty()) {
        const StartBytes start = ProbeStreamStart();
        if (start.kind == StreamStart::Undecided && start.count < kStreamStartBytes)
            return false;
    }
    std::int64_t total = total_;
    if (total <= 0 && complete_)
        total = GetFileSize64(cachePath_);
    if (range_ && total > 0 && !cachePath_.empty()) {
        const std::optional<ByteSpan> span = ResolveByteRange(*range_, total);
        if (span)
            StartSpan(*span, total);
        else
            AnswerError(416, total);
        return true;
    }
    if (!haveData && !complete_)
        return false;
    // Without a known size a Range request gets the whole body: HTTP lets a
    // server ignore Range, and a span needs its end.
    PlayResponseHead head = NewHead();
    head.contentLength = total > 0 ? total : -1;
    header_.Assign(BuildPlayResponseHead(head));
    mode_ = Mode::Stream;
    return true;
}

// What every head of this request carries. A video's answers are not to be
// stored by the browser: the cache on disk has them, and the player page's
// in-memory HTTP cache kept a copy of every segment it played, so the
// program grew with the length of a stream.
PlayResponseHead CPlayRequest::NewHead() const
{
    PlayResponseHead head;
    head.contentType = SniffContentType();
    head.noStore = !pageFile_;
    return head;
}

void CPlayRequest::StartSpan(const ByteSpan& span, std::int64_t total)
{
    PlayResponseHead head = NewHead();
    head.status = 206;
    head.contentLength = span.last - span.first + 1;
    head.contentRange = "bytes " + std::to_string(span.first) + "-" + std::to_string(span.last) + "/"
                        + std::to_string(total);
    header_.Assign(BuildPlayResponseHead(head));
    mode_ = Mode::Span;
    live_.Clear();
    spanEnd_ = span.last + 1;
    reader_ = std::make_unique<CacheFileReader>(SpanFile(), span.first, span.first, spanFileBase_);
    ExtendSpanToFile();
}

// The span reads up to what the file holds now, within the span's end.
void CPlayRequest::ExtendSpanToFile()
{
    const std::int64_t size = GetFileSize64(SpanFile());
    if (size < 0)
        return;
    const std::int64_t end = std::min(spanEnd_, spanFileBase_ + size);
    if (reader_ && end > reader_->End())
        reader_->ExtendEnd(end);
}

// The video's first bytes as far as they are here: the cache file's start,
// or pushed bytes that begin at offset 0 when the file holds fewer.
CPlayRequest::StartBytes CPlayRequest::ProbeStreamStart() const
{
    char start[kStreamStartBytes];
    const std::size_t count = ReadFileStart(cachePath_, start, sizeof start);
    const auto pushed = static_cast<std::size_t>(std::min<std::int64_t>(live_.Unsent(), kStreamStartBytes));
    if (liveFileOffset_ == 0 && bodySent_ == 0 && pushed > count)
        return {ClassifyStreamStart(live_.UnsentData(), pushed), pushed};
    return {ClassifyStreamStart(start, count), count};
}

std::string CPlayRequest::SniffContentType() const
{
    if (!contentType_.empty())
        return contentType_;
    return MediaTypeOf(ProbeStreamStart().kind);
}

CPlayRequest::Source CPlayRequest::NextSource()
{
    if (!header_.IsEmpty())
        return {&header_, nullptr};
    switch (mode_) {
    case Mode::Waiting:
        if (!parsed_ || !ComposeHead())
            return {};
        return NextSource();
    case Mode::Error:
        EndRequest();
        return {};
    case Mode::Stream:
    case Mode::Span:
        if (headOnly_) {
            EndRequest();
            return {};
        }
        return mode_ == Mode::Stream ? NextStreamSource() : NextSpanSource();
    }
    return {};
}

CPlayRequest::Source CPlayRequest::NextStreamSource()
{
    if (reader_) {
        if (reader_->HasMore())
            return {nullptr, reader_.get()};
        // Done with the file: pushed data follows.
        reader_.reset();
        RearmSend();
        return {};
    }
    if (live_.IsEmpty()) {
        // Sleeps until more data, a new header or completion re-arms it.
        if (complete_)
            EndRequest();
        return {};
    }
    return {&live_, nullptr};
}

CPlayRequest::Source CPlayRequest::NextSpanSource()
{
    if (reader_->HasMore())
        return {nullptr, reader_.get()};
    // Done, or waiting for bytes the download has not written yet; once
    // no more will come, the file is all there is.
    if (reader_->Next() >= spanEnd_ || complete_)
        EndRequest();
    return {};
}

void CPlayRequest::OnSend()
{
    if (ended_)
        return;
    const Source source = NextSource();
    sleeping_ = !source.buffer && !source.file;
    if (source.file) {
        SendFromFile(*source.file);
        return;
    }
    if (!source.buffer)
        return;
    const auto size = static_cast<std::size_t>(std::min<std::int64_t>(source.buffer->Unsent(), kMaxBlock));
    const std::int64_t sent = Send(source.buffer->UnsentData(), size);
    if (sent < 0) {
        // Reset or broken: nobody is reading any more.
        EndRequest();
        return;
    }
    if (source.buffer != &header_)
        bodySent_ += sent;
    if (source.buffer == &live_)
        liveFileOffset_ += sent;
    source.buffer->Consume(static_cast<std::size_t>(sent));
    RearmSend();
}

// One block from the file, straight to the socket.
void CPlayRequest::SendFromFile(CacheFileReader& file)
{
    const platform::AsyncSocket::FileSendResult result = file.SendTo(*this, kMaxBlock);
    if (result.broken) {
        EndRequest();
        return;
    }
    if (result.fileEnded) {
        // The file is shorter than the bytes it held: the download is
        // writing it again from byte 0. Sending pushed data now would leave
        // a gap, so wait until the next push re-arms; a request that
        // expects no more bytes ends here.
        sleeping_ = true;
        if (complete_)
            EndRequest();
        return;
    }
    bodySent_ += result.sent;
    RearmSend();
}

void CPlayRequest::OnClose()
{
    HandlePeerGone();
}

// The end of the player's input: a reset ends the request; an orderly close
// may be a half-close after a complete request, which still gets its whole
// answer (a player that has really gone shows when a send fails).
void CPlayRequest::HandlePeerGone()
{
    if (GetLastError() != 0 || !parsed_) {
        EndRequest();
        return;
    }
    peerFinished_ = true;
}
