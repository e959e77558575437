#pragma once
// The identity of the machine's first fixed disk, for the client
// identifier of the usage reports: the first 4 characters of the model,
// the first 4 of the firmware revision and the 20 of the serial number, as
// the ATA IDENTIFY data holds them (HDIO_GET_IDENTITY), else as sysfs shows
// them; nullopt when neither is readable.
#include <optional>
#include <string>

namespace platform {

std::optional<std::string> ReadDiskIdentity();

// The identity text from the three fields, each cut or padded with blanks
// to its length (4, 4, 20).
std::string DiskIdentityText(const std::string& model, const std::string& firmware, const std::string& serial);

}  // namespace platform
