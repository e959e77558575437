#pragma once
// The calls the program makes into its own pages (the skin's search,
// special and related pages). Every value enters as the text of a
// single-quoted script string, escaped by JsStringEscaped, so that no
// quote, backslash, line break or "</script>" a site sent can end the
// string or the script: an apostrophe arrives as \' and a backslash as \\,
// once, however often the page is called.
#include <string>
#include <string_view>

// getMovieData('<xml>');doSort(nowSortBy,'','sys');
std::string SearchResultCall(std::string_view resultXml);
// RSSRequest('<keyword>');
std::string FeedRequestCall(std::string_view keyword);
// getMovieData('<text>');inputData(); (line breaks removed from the text)
std::string SpecialResultCall(std::string_view resultText);
// getMovieData('<xml>', <count>, 'movie');
std::string RelationCall(std::string_view itemXml, int count);

struct SpecialPageArgs {
    std::string title;
    std::string t1, t2, t3, t4;
    int page = 0;
};
// makePage('<title>','<t1>', T2, T3, '<t4>', <page>). T2 and T3 enter
// bare, as script values, when they are a plain number, true, false or
// null; anything else enters as a quoted string, so a value can never be
// code.
std::string MakePageCall(const SpecialPageArgs& args);
// A text as a bare script value when it is one of those, else quoted.
std::string BareScriptValue(std::string_view text);
