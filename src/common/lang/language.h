#pragma once
// Which language the program speaks: Chinese (the texts as written in the
// program) or English. Decided once from the environment; every layer asks
// CurrentLanguage().
#include <string_view>

namespace lang {

enum class Language { Chinese, English };

// The environment values that choose the language; an unset variable is
// an empty view.
struct LocaleEnvironment {
    std::string_view forced;      // QUELT_LANG: "zh" or "en" overrides the locale
    std::string_view lcAll;       // LC_ALL
    std::string_view lcMessages;  // LC_MESSAGES
    std::string_view lang;        // LANG
};

// QUELT_LANG when it names a language; otherwise the first set one of
// LC_ALL, LC_MESSAGES, LANG: a locale starting with "zh" is Chinese, any
// other (also "C" or none at all) English.
Language DecideLanguage(const LocaleEnvironment& environment);

// DecideLanguage over this process's environment.
Language LanguageFromEnvironment();

// The language of this run: LanguageFromEnvironment() at first use, or
// what SetCurrentLanguage chose. Safe from any thread.
Language CurrentLanguage();
void SetCurrentLanguage(Language language);

}  // namespace lang
