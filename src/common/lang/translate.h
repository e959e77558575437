#pragma once
// The one translation of the program's texts. The Chinese text itself is
// the key (as gettext's msgid), looked up in the English catalogue
// lang/en.tsv, which the build compiles in. A context tells apart two uses
// of one Chinese text that English says differently. A text without an
// English entry stays Chinese: never an empty text.
#include "common/lang/language.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace lang {

// The text in the current language.
std::string Tr(std::string_view chinese, std::string_view context = {});

// The text in the given language.
std::string TranslateTo(Language language, std::string_view chinese, std::string_view context = {});

// The text with %1 ... %9 replaced by the values, in order (the English
// text may place them elsewhere than the Chinese one).
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values);

// Whether the catalogue holds an English text for it.
bool HasEnglish(std::string_view chinese, std::string_view context = {});

// The catalogue's entries without a context, as a JSON object
// {"Chinese": "English", ...} for the program's pages; "{}" for Chinese.
std::string PageDictionaryJson(Language language);

// Whether the text holds a Chinese character (those need an English entry;
// addresses, names and numbers are the same in both languages).
bool HasChineseCharacter(std::string_view text);

}  // namespace lang
