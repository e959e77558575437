#include "search/list_file.h"

#include <charconv>

std::int32_t ParseInt32OrZero(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return 0;
    return value;
}

std::int32_t ParseListVersion(std::string_view body)
{
    return ParseInt32OrZero(body);
}

int CSearchMSXmlParseHandle::OnStartElement(const TOLMsXmlPaserDecorate& element)
{
    std::string value;
    if (element.Name() == "root" && element.GetAttribute("version", value))
        version = ParseInt32OrZero(value);
    return 1;
}

int CSearchMSXmlParseHandle::OnEndElement(const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() == "i") {
        records.push_back(current_);
        current_ = SearchSite{};
    }
    return 1;
}

int CSearchMSXmlParseHandle::OnText(const std::string& text, const TOLMsXmlPaserDecorate& element)
{
    const std::string name = element.Name();
    if (name == "n")
        current_.name = text;
    else if (name == "s")
        current_.parseScript = text;
    else if (name == "l")
        current_.linkScript = text;
    else if (name == "c")
        current_.coding = text;
    return 1;
}

ParsedList ParseListText(std::string_view text)
{
    CSearchMSXmlParseHandle handle;
    ParsedList list;
    list.loaded = WalkXmlText(text, handle);
    list.records = std::move(handle.records);
    list.version = handle.version;
    return list;
}
