#pragma once
// The service answers are CR-separated pieces: split at every CR byte and
// drop the pieces that are empty or exactly one CR or one LF, so that CR LF
// line ends leave no stray pieces behind.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitAtCR(std::string_view text);
