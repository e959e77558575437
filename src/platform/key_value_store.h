#pragma once
// The program's own small store of values outside "setting.xml" (what the
// installer leaves for it, such as "AppChannel"): lines "name=value" in
// $XDG_CONFIG_HOME/quelt/values (else ~/.config/quelt/values).
#include <optional>
#include <string>

namespace platform {

std::string KeyValueStorePath();
std::optional<std::string> ReadStoredValue(const std::string& name);
// Replaces the value or adds it; false when the file cannot be written.
bool WriteStoredValue(const std::string& name, const std::string& value);

}  // namespace platform
