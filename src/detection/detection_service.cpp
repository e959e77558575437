#include "detection/detection_service.h"

#include "common/base64.h"
#include "common/md5.h"
#include "common/text_split.h"

namespace detection_service {

namespace {

// The bytes a segment query carries as they are; all others are escaped.
bool IsPlainQueryByte(unsigned char c)
{
    return c == 0x21 || c == 0x25 || (c >= 0x27 && c <= 0x2A) || (c >= 0x2D && c <= 0x3A)
           || (c >= 0x41 && c <= 0x5A) || c == 0x5F || (c >= 0x61 && c <= 0x7A) || c == 0x7E;
}

std::string_view UpToZero(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// The pieces between a leading "<" and a trailing ">", or none. In an
// answer with CR LF line ends every piece after the first starts with the
// LF, which is no part of it.
std::optional<std::vector<std::string>> Framed(std::string_view body)
{
    std::vector<std::string> pieces = SplitAtCR(UpToZero(body));
    for (std::string& piece : pieces)
        if (piece.size() > 1 && piece.front() == '\n')
            piece.erase(0, 1);
    if (pieces.size() < 2 || pieces.front() != "<" || pieces.back() != ">")
        return std::nullopt;
    return std::vector<std::string>(pieces.begin() + 1, pieces.end() - 1);
}

}  // namespace

std::string LookupUrl(const std::string& prefix, const std::string& pageKey)
{
    return prefix + "c=g&m=" + Md5Hex(pageKey) + "&url=" + Base64Encode(pageKey);
}

std::string ReportUrl(const std::string& prefix, const std::string& pageKey, const std::string& streamUrl,
                      const std::string& referer)
{
    const std::string m = Md5Hex(pageKey);
    std::string url = prefix + "c=r&m=" + m + "&v=" + Md5Hex(m + kReportSalt) + "&x=";
    if (streamUrl == "d")
        return url + "d";
    return url + Base64Encode(StreamPayload(streamUrl, referer));
}

std::string EscapeForSegmentQuery(std::string_view streamUrl)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : streamUrl) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsPlainQueryByte(c)) {
            if (out.size() > kSegmentQueryLimit - 1)
                break;
            out += ch;
        } else {
            if (out.size() > kSegmentQueryLimit - 3)
                break;
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string SegmentQueryUrl(const std::string& prefix, const std::string& streamUrl)
{
    return prefix + EscapeForSegmentQuery(streamUrl);
}

std::optional<Stream> ParseLookupAnswer(std::string_view body)
{
    const auto pieces = Framed(body);
    if (!pieces || pieces->size() != 1)
        return std::nullopt;
    return ParseStreamPayload(Base64Decode(pieces->front()));
}

std::string StreamPayload(const std::string& streamUrl, const std::string& referer)
{
    return streamUrl + "\r" + referer;
}

std::optional<Stream> ParseStreamPayload(std::string_view payload)
{
    const std::vector<std::string> stream = SplitAtCR(payload);
    if (stream.size() == 2)
        return Stream{stream[0], stream[1]};
    // A stream found without a Referer: its URL and the CR alone.
    if (stream.size() == 1 && payload.size() == stream[0].size() + 1 && payload.back() == '\r')
        return Stream{stream[0], {}};
    return std::nullopt;
}

std::vector<std::string> ParseSegmentAnswer(std::string_view body)
{
    auto pieces = Framed(body);
    return pieces ? std::move(*pieces) : std::vector<std::string>{};
}

}  // namespace detection_service
