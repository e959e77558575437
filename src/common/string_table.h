#pragma once
// The user-visible texts, by id (30000-30100), as UTF-8.
#include <string>

constexpr int IDS_PRODUCT_NAME = 30000;

// The text of the id, or an empty text for an id the table does not hold.
std::string LoadString(int id);
