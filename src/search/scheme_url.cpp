#include "search/scheme_url.h"

#include "common/string_table.h"

#include <algorithm>
#include <cctype>

namespace scheme {

namespace {

constexpr const char* kPartSeparator = "&&&";
constexpr const char* kNavigationMarker = "Wq5NrTzLpYk3D";

constexpr int kSchemeIds[] = {
    IDS_SCHEME_SPECIAL,        IDS_SCHEME_SEARCH,          IDS_SCHEME_PLAY,
    IDS_SCHEME_INSERT,         IDS_SCHEME_ADD,             IDS_SCHEME_SEARCH_COLUMN,
    IDS_SCHEME_SEARCH_TAG,     IDS_SCHEME_SEARCH_STYLE,    IDS_SCHEME_COLUMN_SEARCH_STYLE,
    IDS_SCHEME_SPECIAL_CUSTOM, IDS_SCHEME_SEARCH_CUSTOM,   IDS_SCHEME_SEARCH_COLUMN_CUSTOM,
    IDS_SCHEME_SEARCH_MORE,    IDS_SCHEME_ALERT,           IDS_SCHEME_TIP,
};

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

const std::vector<std::string>& ProgramSchemePrefixes()
{
    static const std::vector<std::string> prefixes = [] {
        std::vector<std::string> list;
        for (const int id : kSchemeIds)
            list.push_back(LoadString(id));
        return list;
    }();
    return prefixes;
}

std::string DecodePartB(std::string text)
{
    ReplaceAll(text, "%20", " ");
    text.erase(std::remove(text.begin(), text.end(), '/'), text.end());
    return text;
}

SchemeParts ParseSchemeUrl(int prefixId, const std::string& url, bool decode)
{
    SchemeParts parts;
    const std::string prefix = LoadString(prefixId);
    const std::size_t at = prefix.empty() ? std::string::npos : url.find(prefix);
    if (at == std::string::npos)
        return parts;
    parts.prefix = prefix;
    const std::string rest = url.substr(at + prefix.size());
    const std::size_t separator = rest.find(kPartSeparator);
    parts.partA = rest.substr(0, separator);
    if (separator != std::string::npos)
        parts.partB = rest.substr(separator + std::char_traits<char>::length(kPartSeparator));
    if (decode)
        parts.partB = DecodePartB(std::move(parts.partB));
    return parts;
}

bool ContainsScheme(const std::string& url, int prefixId)
{
    const std::string prefix = LoadString(prefixId);
    return !prefix.empty() && url.find(prefix) != std::string::npos;
}

NavigateDecision DecideBaseNavigate(const std::string& url, const std::string& homeUrl)
{
    NavigateDecision decision;
    std::string current = url;
    bool tip = false;
    const SchemeParts tipParts = ParseSchemeUrl(IDS_SCHEME_TIP, url, false);
    if (tipParts.Found()) {
        const std::size_t at = url.find(tipParts.prefix);
        current = url.substr(at + tipParts.prefix.size());
        tip = true;
    }
    struct AddScheme {
        int prefixId;
        const char* mode;
        int balloonId;
    };
    static constexpr AddScheme kAddSchemes[] = {
        {IDS_SCHEME_PLAY, kModePlay, IDS_BALLOON_PLAYING},
        {IDS_SCHEME_INSERT, kModePreview, IDS_BALLOON_PREVIEWING},
        {IDS_SCHEME_ADD, kModeQueue, IDS_BALLOON_QUEUED},
    };
    for (const AddScheme& scheme : kAddSchemes) {
        const SchemeParts parts = ParseSchemeUrl(scheme.prefixId, current, true);
        if (!parts.Found())
            continue;
        decision.addVideo = true;
        decision.title = parts.partB;
        decision.key = parts.partA;
        decision.mode = scheme.mode;
        decision.balloonTextId = tip ? scheme.balloonId : 0;
        break;
    }
    if (current.find(kNavigationMarker) == std::string::npos && !EqualsIgnoringCase(current, homeUrl))
        decision.setCancel = true;
    return decision;
}

std::vector<DispatchStep> DecideSchemeDispatch(const std::string& url)
{
    struct Rule {
        SchemeAction action;
        int prefixId;
        bool decode;
    };
    static constexpr Rule kRules[] = {
        {SchemeAction::Search, IDS_SCHEME_SEARCH, true},
        {SchemeAction::SearchColumn, IDS_SCHEME_SEARCH_COLUMN, true},
        {SchemeAction::Special, IDS_SCHEME_SPECIAL, false},
        {SchemeAction::SetSpecialStyle, IDS_SCHEME_SPECIAL_CUSTOM, true},
        {SchemeAction::SetSearchStyle, IDS_SCHEME_SEARCH_CUSTOM, true},
        {SchemeAction::SetColumnSearchStyle, IDS_SCHEME_SEARCH_COLUMN_CUSTOM, true},
        {SchemeAction::Alert, IDS_SCHEME_ALERT, true},
    };
    std::vector<DispatchStep> steps;
    for (const Rule& rule : kRules) {
        SchemeParts parts = ParseSchemeUrl(rule.prefixId, url, rule.decode);
        if (!parts.Found())
            continue;
        DispatchStep step{rule.action, std::move(parts), {}};
        if (rule.action == SchemeAction::Special) {
            const std::string& text = step.parts.partB;
            const std::string separator = kPartSeparator;
            std::size_t start = 0;
            for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
                step.pieces.push_back(text.substr(start, at - start));
                start = at + separator.size();
            }
            step.pieces.push_back(text.substr(start));
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

bool LetsPageLoad(const std::string& url)
{
    for (const int id : {IDS_SCHEME_PLAY, IDS_SCHEME_INSERT, IDS_SCHEME_ADD, IDS_SCHEME_SEARCH, IDS_SCHEME_SEARCH_TAG})
        if (ContainsScheme(url, id))
            return false;
    return true;
}

bool IsUsableTabTitle(const std::string& title)
{
    return title.find("http://") == std::string::npos;
}

}  // namespace scheme
