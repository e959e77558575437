#include "common/lang/language.h"

#include <atomic>
#include <cstdlib>

namespace lang {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

constexpr int kUndecided = -1;
std::atomic<int> current{kUndecided};

}  // namespace

Language DecideLanguage(const LocaleEnvironment& environment)
{
    if (StartsWith(environment.forced, "zh"))
        return Language::Chinese;
    if (StartsWith(environment.forced, "en"))
        return Language::English;
    // POSIX order of precedence; an empty value counts as unset.
    for (std::string_view locale : {environment.lcAll, environment.lcMessages, environment.lang}) {
        if (!locale.empty())
            return StartsWith(locale, "zh") ? Language::Chinese : Language::English;
    }
    return Language::English;
}

Language LanguageFromEnvironment()
{
    return DecideLanguage({Env("QUELT_LANG"), Env("LC_ALL"), Env("LC_MESSAGES"), Env("LANG")});
}

Language CurrentLanguage()
{
    int value = current.load();
    if (value == kUndecided) {
        int decided = static_cast<int>(LanguageFromEnvironment());
        current.compare_exchange_strong(value, decided);
        value = current.load();
    }
    return static_cast<Language>(value);
}

void SetCurrentLanguage(Language language)
{
    current.store(static_cast<int>(language));
}

}  // namespace lang
