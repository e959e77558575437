#include "platform/desktop_integration.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace platform {

namespace {

constexpr const char* kDesktopName = "quelt.desktop";
constexpr const char* kAssociationName = "quelt-flv.desktop";
constexpr const char* kFlvType = "video/x-flv";
constexpr const char* kDefaultsSection = "[Default Applications]";

std::string Folder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value && *value)
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/" + fallback;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::filesystem::rename(part, path, error);
    return !error;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The value of "key=" in the [Desktop Entry] group of a desktop file.
std::string EntryValue(const std::string& text, const std::string& key)
{
    for (const std::string& line : Lines(text))
        if (line.starts_with(key + "="))
            return line.substr(key.size() + 1);
    return {};
}

// mimeapps.list with the video/x-flv default set to `application`, or
// removed when it is empty; every other line stays as it was.
std::string WithFlvDefault(const std::string& text, const std::string& application)
{
    const std::string prefix = std::string(kFlvType) + "=";
    std::vector<std::string> lines;
    bool inDefaults = false;
    for (const std::string& line : Lines(text)) {
        if (!line.empty() && line.front() == '[')
            inDefaults = line == kDefaultsSection;
        else if (inDefaults && line.starts_with(prefix))
            continue;
        lines.push_back(line);
    }
    if (!application.empty()) {
        auto header = std::find(lines.begin(), lines.end(), std::string(kDefaultsSection));
        if (header == lines.end()) {
            lines.push_back(kDefaultsSection);
            header = lines.end() - 1;
        }
        lines.insert(header + 1, prefix + application);
    }
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    return result;
}

std::string FlvDefault(const std::string& text)
{
    bool inDefaults = false;
    for (const std::string& line : Lines(text)) {
        if (!line.empty() && line.front() == '[')
            inDefaults = line == kDefaultsSection;
        else if (inDefaults && line.starts_with(std::string(kFlvType) + "="))
            return line.substr(std::string(kFlvType).size() + 1);
    }
    return {};
}

}  // namespace

DesktopIntegration::DesktopIntegration(std::string exePath) : exePath_(std::move(exePath)) {}

std::string DesktopIntegration::AutoStartFile() const
{
    return Folder("XDG_CONFIG_HOME", ".config") + "/autostart/" + kDesktopName;
}

std::string DesktopIntegration::ApplicationFile() const
{
    return Folder("XDG_DATA_HOME", ".local/share") + "/applications/" + kDesktopName;
}

std::string DesktopIntegration::AssociationFile() const
{
    return Folder("XDG_DATA_HOME", ".local/share") + "/applications/" + kAssociationName;
}

std::string DesktopIntegration::MimeAppsFile() const
{
    return Folder("XDG_CONFIG_HOME", ".config") + "/mimeapps.list";
}

// The command that opens a file with this executable.
std::string DesktopIntegration::OpenCommand() const
{
    return "\"" + exePath_ + "\" %f";
}

std::string DesktopIntegration::DesktopEntry(EntryKind kind) const
{
    // The menus of a Chinese desktop show the Chinese comment.
    const std::string chineseComment = "在线视频播放器";
    std::string text = "[Desktop Entry]\nType=Application\nName=Quelt\nComment=Online video player\nComment[zh]="
                       + chineseComment + "\nExec=" + (kind == EntryKind::AutoStart ? "\"" + exePath_ + "\"" : OpenCommand())
                       + "\n";
    if (kind == EntryKind::AutoStart)
        return text + "X-GNOME-Autostart-enabled=true\n";
    text += std::string("MimeType=") + kFlvType + ";\nTerminal=false\nCategories=AudioVideo;Video;Player;\nIcon=quelt\n";
    // The association's file only names the handler: it is not a second
    // entry in the menu.
    if (kind == EntryKind::Association)
        text += "NoDisplay=true\n";
    return text;
}

bool DesktopIntegration::IsAutoStart() const
{
    return EntryValue(ReadText(AutoStartFile()), "Exec") == "\"" + exePath_ + "\"";
}

bool DesktopIntegration::SetAutoStart(bool on) const
{
    if (!on) {
        std::error_code error;
        std::filesystem::remove(AutoStartFile(), error);
        return !error;
    }
    return IsAutoStart() || WriteText(AutoStartFile(), DesktopEntry(EntryKind::AutoStart));
}

bool DesktopIntegration::IsFlvAssociated() const
{
    return FlvDefault(ReadText(MimeAppsFile())) == kAssociationName
           && EntryValue(ReadText(AssociationFile()), "Exec") == OpenCommand();
}

bool DesktopIntegration::AssociateFlv() const
{
    if (IsFlvAssociated())
        return true;
    return WriteText(AssociationFile(), DesktopEntry(EntryKind::Association))
           && WriteText(MimeAppsFile(), WithFlvDefault(ReadText(MimeAppsFile()), kAssociationName));
}

bool DesktopIntegration::WriteMenuEntry() const
{
    return WriteText(ApplicationFile(), DesktopEntry(EntryKind::Menu));
}

bool DesktopIntegration::RemoveMenuEntry() const
{
    if (EntryValue(ReadText(ApplicationFile()), "Exec") != OpenCommand())
        return true;
    std::error_code error;
    std::filesystem::remove(ApplicationFile(), error);
    return !error;
}

bool DesktopIntegration::DissociateFlv() const
{
    if (!IsFlvAssociated())
        return true;
    std::error_code error;
    std::filesystem::remove(AssociationFile(), error);
    return WriteText(MimeAppsFile(), WithFlvDefault(ReadText(MimeAppsFile()), ""));
}

}  // namespace platform
