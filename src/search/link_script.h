#pragma once
// From a site's link script to its result page address: the keyword as the
// site's coding wants it, and the script's printf-style placeholders filled
// in without ever handing the downloaded text to printf.
#include <optional>
#include <string>
#include <string_view>

// Whether a site of this coding takes the keyword as it is ("utf-8" in any
// case, or a coding containing "ajax").
bool TakesKeywordUnchanged(std::string_view coding);

// "utf-8" (any case) or a coding containing "ajax": the keyword unchanged.
// Otherwise percent-encoded byte by byte: ! ' ( ) * - . / 0-9 : A-Z _ a-z ~
// and % itself stay, every other byte becomes "%" and two lower-case hex
// digits. (Converting the keyword to the site's character set comes first.)
std::string EncodeKeyword(std::string_view keyword, std::string_view coding);

// The link script with "%d" replaced by the page and the "%s" after it by
// the keyword; "%%" is a "%". The keyword goes in escaped for a JavaScript
// string literal (backslash, quotes, line breaks and other control
// characters), since that is where a link script puts it: a quote in a
// keyword must not end the script's string. None when the script holds any
// other conversion, a second "%d" or "%s", or a "%s" before the "%d": such a
// script counts as failing.
std::optional<std::string> FormatLinkScript(std::string_view script, int page, std::string_view keyword);
