#pragma once
// The user-visible texts, by id (30000-30100), as UTF-8.
#include "common/ids/string_ids.h"

#include <string>

// The text of the id, or an empty text for an id the table does not hold.
std::string LoadString(int id);
