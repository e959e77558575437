#pragma once
// Every program file and folder is found relative to the executable.
#include <string>

// The folder of the running executable with a trailing "/".
std::string GetAppFolder();
// Tests point the program folder elsewhere; an empty text restores the
// executable's folder.
void SetAppFolderForTesting(const std::string& folder);
