#pragma once
// Tests compare the program's texts as written (Chinese), whatever the
// locale of the machine that runs them: every test process, and the
// programs it starts, speaks Chinese unless a test chooses English itself
// (lang::SetCurrentLanguage, or QUELT_LANG=en for a program it starts).
#include <cstdlib>

inline void UseChineseForTests()
{
    ::setenv("QUELT_LANG", "zh", 1);
}
