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

std::string DesktopIntegration::MimeAppsFile() const
{
    return Folder("XDG_CONFIG_HOME", ".config") + "/mimeapps.list";
}

std::string DesktopIntegration::DesktopEntry(const std::string& exec, bool autostart) const
{
    // The menus of a Chinese desktop show the Chinese comment.
    const std::string chineseComment = "在线视频播放器";
    std::string text = "[Desktop Entry]\nType=Application\nName=Quelt\nComment=Online video player\nComment[zh]="
                       + chineseComment + "\nExec=" + exec + "\n";
    if (autostart)
        text += "X-GNOME-Autostart-enabled=true\n";
    else
        text += std::string("MimeType=") + kFlvType + ";\nTerminal=false\nCategories=AudioVideo;Video;Player;\nIcon=quelt\n";
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
    return IsAutoStart() || WriteText(AutoStartFile(), DesktopEntry("\"" + exePath_ + "\"", true));
}

bool DesktopIntegration::IsFlvAssociated() const
{
    return FlvDefault(ReadText(MimeAppsFile())) == kDesktopName
           && EntryValue(ReadText(ApplicationFile()), "Exec") == "\"" + exePath_ + "\" %f";
}

bool DesktopIntegration::AssociateFlv() const
{
    if (IsFlvAssociated())
        return true;
    return WriteMenuEntry() && WriteText(MimeAppsFile(), WithFlvDefault(ReadText(MimeAppsFile()), kDesktopName));
}

bool DesktopIntegration::WriteMenuEntry() const
{
    return WriteText(ApplicationFile(), DesktopEntry("\"" + exePath_ + "\" %f", false));
}

bool DesktopIntegration::DissociateFlv() const
{
    if (!IsFlvAssociated())
        return true;
    std::error_code error;
    std::filesystem::remove(ApplicationFile(), error);
    return WriteText(MimeAppsFile(), WithFlvDefault(ReadText(MimeAppsFile()), ""));
}

}  // namespace platform
