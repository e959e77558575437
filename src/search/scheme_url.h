#pragma once
// The program's own URL schemes ("playxev://page&&&Title"): the list of
// their prefixes, how an address splits into its parts, what a view does
// before a navigation and which scheme action a browsing view takes. No Qt,
// no I/O: the views act on these decisions.
#include <string>
#include <vector>

namespace scheme {

// Every scheme prefix of the string table ("playxev://", ...), in id
// order. The platform's injected script stops navigations to them and the
// views judge addresses by them: one list for both.
const std::vector<std::string>& ProgramSchemePrefixes();

// prefix, then part A, then optionally "&&&" and part B. The prefix counts
// wherever it occurs; the parts start right after it.
struct SchemeParts {
    std::string prefix;  // empty when the address does not hold the prefix
    std::string partB;
    std::string partA;
    bool Found() const { return !prefix.empty(); }
};
// prefixId: an IDS_SCHEME_* id. With decode, part B has "%20" turned into
// blanks and every "/" removed; part A is never decoded.
SchemeParts ParseSchemeUrl(int prefixId, const std::string& url, bool decode);
std::string DecodePartB(std::string text);
bool ContainsScheme(const std::string& url, int prefixId);

// AddVideo's modes.
inline constexpr const char* kModePlay = "1";
inline constexpr const char* kModeQueue = "2";
inline constexpr const char* kModePreview = "3";

// What every view does before a navigation.
struct NavigateDecision {
    bool addVideo = false;
    std::string title;  // decoded part B
    std::string key;    // part A, the page
    std::string mode;
    int balloonTextId = 0;  // the tray balloon's text ("tipxev://"), 0 for none
    bool setCancel = false;  // false: the cancel flag stays as it is
};
// url: the address as the page had it; homeUrl: the view's own page.
NavigateDecision DecideBaseNavigate(const std::string& url, const std::string& homeUrl);

// The actions of a browsing view's dispatcher, in the order it tries them.
enum class SchemeAction {
    Search,                // open a search tab: category part A, keyword decoded part B
    SearchColumn,          // the same with the column page
    Special,               // open a special tab
    SetSpecialStyle,       // "cs_special_style_url" = part A
    SetSearchStyle,        // "cs_search_style_url" = part A
    SetColumnSearchStyle,  // "cs_colsearch_style_url" = part A
    Alert,                 // a message box with part A
};
struct DispatchStep {
    SchemeAction action;
    SchemeParts parts;
    // Special only: part B split at every "&&&"; the tab is filled only
    // with exactly five pieces.
    std::vector<std::string> pieces;
    bool HasFivePieces() const { return pieces.size() == 5; }
};
// Every action whose prefix the address holds, in the dispatcher's order.
// A tab action that cannot open its tab gives way to the next step; any
// other step decides.
std::vector<DispatchStep> DecideSchemeDispatch(const std::string& url);

// A browsing view lets an ordinary page load: one that holds none of the
// prefixes of playing, previewing, adding, searching and search tags.
bool LetsPageLoad(const std::string& url);
// A tab's title may replace its button's text unless it still shows an
// address.
bool IsUsableTabTitle(const std::string& title);

}  // namespace scheme
