#pragma once
// The texts of the program's own pages (the player page and the pages under
// skin/) in the language of this run. The program hands the dictionary
// over once at start, a JSON object {"Chinese": "English", ...} ("{}"
// keeps the pages as written); every view made afterwards injects it.
// In a page loaded from a file (and in the player page, which the play
// server serves), QueltTr(chinese, ...) gives a text with
// %1, %2, ... filled in, and the page's own texts, titles and tooltips are
// translated when its document has been read. Pages from the network are
// left alone.
#include <string>

class QWebEngineScriptCollection;

namespace platform {

void SetPageTexts(std::string dictionaryJson);
const std::string& PageTexts();

// The script the views inject at document creation, and its injection.
// ownPagesOnly: only pages loaded from a file are translated (the views
// that also show web sites); otherwise every page of the view is the
// program's.
std::string PageTextsScript(bool ownPagesOnly);
void InjectPageTexts(QWebEngineScriptCollection& scripts, bool ownPagesOnly);

}  // namespace platform
