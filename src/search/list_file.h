#pragma once
// Reading a service list file once deciphered: a root element "root" with
// its "version" attribute and one "i" element per record, whose children
// "n", "s", "l" and "c" fill the record's texts. What the texts mean
// depends on the list:
//
//   list            "n"            "s"                  "l"             "c"
//   search sites    site name      parse script         link script     coding
//   categories      category name  site names, "|"-separated  (unused) flags ("hj")
//   speed info      URL pattern    test file URL        "A|B" offset|rate  site name
#include "search/search_site.h"
#include "search/xml_walker.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The handler the walker drives over a list file.
class CSearchMSXmlParseHandle : public IMSXmlParseHandle {
public:
    int OnStartElement(const TOLMsXmlPaserDecorate& element) override;
    int OnEndElement(const TOLMsXmlPaserDecorate& element) override;
    int OnText(const std::string& text, const TOLMsXmlPaserDecorate& element) override;

    std::vector<SearchSite> records;
    std::int32_t version = 0;

private:
    SearchSite current_;
};

struct ParsedList {
    bool loaded = false;  // the text was XML
    std::vector<SearchSite> records;
    std::int32_t version = 0;
};
ParsedList ParseListText(std::string_view text);

// A version file's body: a decimal integer; anything else reads as 0.
std::int32_t ParseListVersion(std::string_view body);
// A decimal integer of 32 bits with optional blanks and sign; 0 for
// anything else (an attribute or count that does not convert).
std::int32_t ParseInt32OrZero(std::string_view text);
