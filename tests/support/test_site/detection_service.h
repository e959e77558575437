#pragma once
// The detection and segment services as the program expects them, served
// by a test site: lookups ("/c.quelt?c=g") answered from what reports
// ("/c.quelt?c=r") taught it or from answers a test sets, and segment lists
// ("/flash_process_url.php?url=") for registered streams. Used by the tests
// and by the demo service.
#include "test_site/test_site.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace test_site {

class DetectionService {
public:
    struct Report {
        std::string m;        // MD5 of the page key
        bool signatureValid = false;
        bool failure = false; // "x=d"
        std::string streamUrl;
        std::string referer;
    };

    // Serves both services on the site; the service must outlive it.
    void Install(TestSite& site);

    // The stream a lookup for this page answers.
    void KnowStream(const std::string& pageKey, const std::string& url, const std::string& referer);
    // The exact body a lookup for this page answers, of any shape.
    void SetLookupBody(const std::string& pageKey, const std::string& body);
    // A segment query for a stream URL that ends with streamSuffix lists the
    // URL with that suffix replaced by each of these, in order.
    void SetSegments(const std::string& streamSuffix, const std::vector<std::string>& segmentSuffixes);
    // The exact body every segment query answers, of any shape.
    void SetSegmentBody(const std::string& body);

    std::vector<Report> Reports() const;
    // The page keys looked up, in order (decoded from the query).
    std::vector<std::string> Lookups() const;
    // The stream URLs asked for segments (decoded).
    std::vector<std::string> SegmentQueries() const;

private:
    std::string AnswerDetection(const std::string& target, bool check);
    std::string AnswerSegments(const std::string& target, bool check);

    mutable std::mutex mutex_;
    std::map<std::string, std::string> lookupBodies_;  // by MD5 of the page key
    std::map<std::string, std::string> segmentLists_;  // stream suffix -> CR-joined suffixes
    std::string segmentBody_;
    bool segmentBodySet_ = false;
    std::vector<Report> reports_;
    std::vector<std::string> lookups_;
    std::vector<std::string> segmentQueries_;
};

}  // namespace test_site
