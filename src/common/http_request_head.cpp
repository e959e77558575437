#include "common/http_request_head.h"

#include "common/ascii_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// RFC 9110 token characters, the only ones a method or header name may hold.
bool IsToken(std::string_view text)
{
    static constexpr std::string_view kExtra = "!#$%&'*+-.^_`|~";
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || kExtra.find(static_cast<char>(c)) != std::string_view::npos;
    });
}

// Splits the head into lines, each without its line end; false when a CR
// stands anywhere but right before an LF.
bool SplitLines(std::string_view head, std::vector<std::string_view>& lines)
{
    std::size_t start = 0;
    while (start < head.size()) {
        const std::size_t lf = head.find('\n', start);
        if (lf == std::string_view::npos)
            return false;
        std::string_view line = head.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos)
            return false;
        lines.push_back(line);
        start = lf + 1;
    }
    return true;
}

bool ParseRequestLine(std::string_view line, HttpRequestHead& head)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos)
        return false;
    head.method = line.substr(0, first);
    head.target = line.substr(first + 1, second - first - 1);
    head.version = line.substr(second + 1);
    return IsToken(head.method) && !head.target.empty()
           && (head.version == "HTTP/1.1" || head.version == "HTTP/1.0");
}

// A decimal of 1 to 18 digits, so that it always fits 64 bits.
bool ParseOffset(std::string_view text, std::int64_t& value)
{
    if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), [](unsigned char c) {
            return std::isdigit(c) != 0;
        }))
        return false;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return true;
}

}  // namespace

std::vector<std::string> HttpRequestHead::Values(std::string_view name) const
{
    std::vector<std::string> values;
    for (const auto& [headerName, value] : headers)
        if (EqualsIgnoringCase(headerName, name))
            values.push_back(value);
    return values;
}

std::size_t FindHeadEnd(std::string_view text)
{
    // The empty line that ends the head, with either line end.
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1)) {
        const std::size_t next = lf + 1;
        if (next < text.size() && text[next] == '\n')
            return next + 1;
        if (next + 1 < text.size() && text[next] == '\r' && text[next + 1] == '\n')
            return next + 2;
    }
    return std::string_view::npos;
}

std::optional<HttpRequestHead> ParseHttpRequestHead(std::string_view head)
{
    std::vector<std::string_view> lines;
    if (!SplitLines(head, lines) || lines.empty())
        return std::nullopt;
    HttpRequestHead parsed;
    if (!ParseRequestLine(lines.front(), parsed))
        return std::nullopt;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty())
            break;
        // Folded continuation lines are obsolete; a name must be a token
        // right before its colon.
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
            return std::nullopt;
        parsed.headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
    }
    return parsed;
}

std::optional<ByteRangeSpec> ParseByteRange(const std::vector<std::string>& rangeHeaders)
{
    if (rangeHeaders.size() != 1)
        return std::nullopt;
    std::string_view value = Trim(rangeHeaders.front());
    const std::string_view unit = "bytes=";
    if (value.size() <= unit.size() || !EqualsIgnoringCase(value.substr(0, unit.size()), unit))
        return std::nullopt;
    value = Trim(value.substr(unit.size()));
    if (value.find(',') != std::string_view::npos)
        return std::nullopt;
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const std::string_view from = Trim(value.substr(0, dash));
    const std::string_view to = Trim(value.substr(dash + 1));
    ByteRangeSpec range;
    if (from.empty()) {
        if (!ParseOffset(to, range.suffix))
            return std::nullopt;
        return range;
    }
    if (!ParseOffset(from, range.first))
        return std::nullopt;
    if (!to.empty() && (!ParseOffset(to, range.last) || range.last < range.first))
        return std::nullopt;
    return range;
}

std::optional<ByteSpan> ResolveByteRange(const ByteRangeSpec& range, std::int64_t total)
{
    if (total <= 0)
        return std::nullopt;
    if (range.first < 0) {
        if (range.suffix == 0)
            return std::nullopt;
        return ByteSpan{std::max<std::int64_t>(0, total - range.suffix), total - 1};
    }
    if (range.first >= total)
        return std::nullopt;
    const std::int64_t last = range.last < 0 ? total - 1 : std::min(range.last, total - 1);
    return ByteSpan{range.first, last};
}
