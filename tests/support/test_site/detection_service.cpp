#include "test_site/detection_service.h"

#include "common/base64.h"
#include "common/md5.h"
#include "common/text_split.h"

#include <cctype>
#include <cstdlib>

namespace test_site {

namespace {

constexpr const char* kSalt = "B29D40615E7A4f1a903CE52A8D6B1F48";

// The query's parameters; a value keeps any "=" it holds (Base64 padding).
std::map<std::string, std::string> Parameters(const std::string& target)
{
    std::map<std::string, std::string> out;
    const std::size_t question = target.find('?');
    if (question == std::string::npos)
        return out;
    std::size_t at = question + 1;
    while (at <= target.size()) {
        std::size_t end = target.find('&', at);
        if (end == std::string::npos)
            end = target.size();
        const std::string pair = target.substr(at, end - at);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos)
            out[pair.substr(0, equals)] = pair.substr(equals + 1);
        at = end + 1;
    }
    return out;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Framed(const std::string& inner)
{
    return "<\r" + inner + "\r>";
}

}  // namespace

void DetectionService::Install(TestSite& site)
{
    // A HEAD request (a client's check of an answer without a length) is
    // answered alike but neither recorded nor learnt from.
    site.SetHandler("/c.quelt", [this](const RecordedRequest& request) {
        return AnswerDetection(request.target, request.method == "HEAD");
    });
    site.SetHandler("/flash_process_url.php", [this](const RecordedRequest& request) {
        return AnswerSegments(request.target, request.method == "HEAD");
    });
}

void DetectionService::KnowStream(const std::string& pageKey, const std::string& url, const std::string& referer)
{
    SetLookupBody(pageKey, Framed(Base64Encode(url + "\r" + referer)));
}

void DetectionService::SetLookupBody(const std::string& pageKey, const std::string& body)
{
    std::lock_guard lock(mutex_);
    lookupBodies_[Md5Hex(pageKey)] = body;
}

void DetectionService::SetSegments(const std::string& streamSuffix, const std::vector<std::string>& segmentSuffixes)
{
    std::string joined;
    for (const std::string& suffix : segmentSuffixes)
        joined += (joined.empty() ? "" : "\r") + suffix;
    std::lock_guard lock(mutex_);
    segmentLists_[streamSuffix] = joined;
}

void DetectionService::SetSegmentBody(const std::string& body)
{
    std::lock_guard lock(mutex_);
    segmentBody_ = body;
    segmentBodySet_ = true;
}

std::vector<DetectionService::Report> DetectionService::Reports() const
{
    std::lock_guard lock(mutex_);
    return reports_;
}

std::vector<std::string> DetectionService::Lookups() const
{
    std::lock_guard lock(mutex_);
    return lookups_;
}

std::vector<std::string> DetectionService::SegmentQueries() const
{
    std::lock_guard lock(mutex_);
    return segmentQueries_;
}

std::string DetectionService::AnswerDetection(const std::string& target, bool check)
{
    auto parameters = Parameters(target);
    const std::string& m = parameters["m"];
    std::lock_guard lock(mutex_);
    if (parameters["c"] == "g") {
        if (!check)
            lookups_.push_back(Base64Decode(parameters["url"]));
        const auto it = lookupBodies_.find(m);
        return it == lookupBodies_.end() ? std::string() : it->second;
    }
    if (parameters["c"] != "r" || check)
        return parameters["c"] == "r" ? "ok" : "";
    Report report;
    report.m = m;
    report.signatureValid = parameters["v"] == Md5Hex(m + kSalt);
    const std::string& x = parameters["x"];
    if (x == "d") {
        report.failure = true;
        if (report.signatureValid)
            lookupBodies_.erase(m);
    } else {
        // url CR referer; a stream found without a Referer leaves it empty.
        const std::string payload = Base64Decode(x);
        const std::vector<std::string> stream = SplitAtCR(payload);
        if (stream.size() == 2 || (stream.size() == 1 && payload == stream[0] + "\r")) {
            report.streamUrl = stream[0];
            report.referer = stream.size() == 2 ? stream[1] : std::string();
            // What a valid report found, later lookups of the page answer.
            if (report.signatureValid)
                lookupBodies_[m] = Framed(x);
        }
    }
    reports_.push_back(report);
    return "ok";
}

std::string DetectionService::AnswerSegments(const std::string& target, bool check)
{
    const std::string url = PercentDecode(Parameters(target)["url"]);
    std::lock_guard lock(mutex_);
    if (!check)
        segmentQueries_.push_back(url);
    if (segmentBodySet_)
        return segmentBody_;
    for (const auto& [suffix, list] : segmentLists_) {
        if (url.size() < suffix.size() || url.compare(url.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string base = url.substr(0, url.size() - suffix.size());
        std::string body = "<";
        for (const std::string& segment : SplitAtCR(list))
            body += "\r" + base + segment;
        return body + "\r>";
    }
    return {};
}

}  // namespace test_site
