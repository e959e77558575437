#pragma once
// The user-visible texts, by id (30000-30108), as UTF-8, in the language of
// this run (lang::Tr: English where the desktop is not Chinese).
#include "common/ids/string_ids.h"

#include <string>
#include <vector>

// The text of the id, or an empty text for an id the table does not hold.
std::string LoadString(int id);

// The ids the table holds, in order (for checks over every text).
std::vector<int> StringTableIds();
// The Chinese text of the id and its translation context, whatever the
// language of this run; empty for an unknown id.
std::string ChineseString(int id, std::string* context = nullptr);
