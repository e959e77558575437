#include "search/page_calls.h"

#include "search/script_text.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Quoted(std::string_view text)
{
    return "'" + JsStringEscaped(text) + "'";
}

// A plain decimal number: an optional minus, digits, an optional fraction.
bool IsPlainNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    };
    if (whole.empty() || !digits(whole) || !digits(fraction))
        return false;
    return point == std::string_view::npos || !fraction.empty();
}

}  // namespace

std::string SearchResultCall(std::string_view resultXml)
{
    return "getMovieData(" + Quoted(resultXml) + ");doSort(nowSortBy,'','sys');";
}

std::string FeedRequestCall(std::string_view keyword)
{
    return "RSSRequest(" + Quoted(keyword) + ");";
}

std::string SpecialResultCall(std::string_view resultText)
{
    std::string text(resultText);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return "getMovieData(" + Quoted(text) + ");inputData();";
}

std::string RelationCall(std::string_view itemXml, int count)
{
    return "getMovieData(" + Quoted(itemXml) + ", " + std::to_string(count) + ", 'movie');";
}

std::string BareScriptValue(std::string_view text)
{
    if (IsPlainNumber(text) || text == "true" || text == "false" || text == "null")
        return std::string(text);
    return Quoted(text);
}

std::string MakePageCall(const SpecialPageArgs& args)
{
    return "makePage(" + Quoted(args.title) + "," + Quoted(args.t1) + ", " + BareScriptValue(args.t2) + ", "
           + BareScriptValue(args.t3) + ", " + Quoted(args.t4) + ", " + std::to_string(args.page) + ");";
}
