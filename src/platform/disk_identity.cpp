#include "platform/disk_identity.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace platform {

namespace {

std::string Fit(std::string text, std::size_t length)
{
    text.resize(length, ' ');
    return text;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    const std::size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string ReadLine(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return Trimmed(line);
}

// The ATA IDENTIFY data of the first disk that answers it.
std::optional<std::string> FromIdentify()
{
    for (const char* device : {"/dev/sda", "/dev/hda", "/dev/sdb", "/dev/hdb"}) {
        const int fd = ::open(device, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        hd_driveid id{};
        const bool answered = ::ioctl(fd, HDIO_GET_IDENTITY, &id) == 0;
        ::close(fd);
        if (answered) {
            const auto field = [](const unsigned char* bytes, std::size_t size) {
                return std::string(reinterpret_cast<const char*>(bytes), size);
            };
            return DiskIdentityText(field(id.model, sizeof id.model), field(id.fw_rev, sizeof id.fw_rev),
                                    field(id.serial_no, sizeof id.serial_no));
        }
    }
    return std::nullopt;
}

// The first non-removable block device with a model in sysfs.
std::optional<std::string> FromSysfs()
{
    std::error_code error;
    std::vector<std::filesystem::path> disks;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error))
        disks.push_back(entry.path());
    std::sort(disks.begin(), disks.end());
    for (const auto& disk : disks) {
        if (ReadLine(disk / "removable") == "1")
            continue;
        const std::string model = ReadLine(disk / "device" / "model");
        if (model.empty())
            continue;
        std::string serial = ReadLine(disk / "device" / "serial");
        if (serial.empty())
            serial = ReadLine(disk / "serial");
        return DiskIdentityText(model, ReadLine(disk / "device" / "rev"), serial);
    }
    return std::nullopt;
}

}  // namespace

std::string DiskIdentityText(const std::string& model, const std::string& firmware, const std::string& serial)
{
    return Fit(Trimmed(model), 4) + Fit(Trimmed(firmware), 4) + Fit(Trimmed(serial), 20);
}

std::optional<std::string> ReadDiskIdentity()
{
    if (auto identity = FromIdentify())
        return identity;
    return FromSysfs();
}

}  // namespace platform
