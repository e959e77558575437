#pragma once
// The support script run before every site's parse script in its result
// page: the globals gcurpage, searchres (a result), imgmanager and imgmgr
// (thumbnails paired with their links), and OutputResult, which replaces
// the page by one element, "SEARCH_QUELT_ID", holding the results as XML
// (explicit end tags, since the page's HTML parser reads it; at most 1,000
// items, each text at most 4,096 characters).
#include <string_view>

extern const std::string_view kParsePrefixScript;
// A script whose value is the inner HTML of "SEARCH_QUELT_ID" (empty when
// there is none), read back after the parse script ran.
extern const std::string_view kReadResultScript;
