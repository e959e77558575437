#pragma once
// Text that goes into a script the program runs: a JavaScript string
// literal that holds any text exactly, whatever quotes, backslashes, line
// breaks or "</script>" it contains.
#include <string>
#include <string_view>

std::string JsStringLiteral(std::string_view text);
// The same without the quotes, for a text that goes inside a literal a
// script already has (either quote is escaped).
std::string JsStringEscaped(std::string_view text);

// A URL's bytes with every %XX escape decoded, for comparing an address as
// a script wrote it with the same address as the browser reports it.
std::string PercentDecoded(std::string_view url);
