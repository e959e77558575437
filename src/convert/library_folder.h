#pragma once
// Where the conversion library lies, and so where its encoder lies.
#include <string>

namespace convert {

// The folder of the module holding this code, with a trailing "/".
std::string LibraryFolder();
std::string EncoderPath();

}  // namespace convert
