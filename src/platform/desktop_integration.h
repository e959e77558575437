#pragma once
// The program's place in the desktop, in its freedesktop forms: start with
// the session (an entry in ~/.config/autostart) and open .flv files (a
// .desktop file of the program and the video/x-flv default in mimeapps.list).
// Each check reads back what the matching call wrote, for this executable.
#include <string>

namespace platform {

class DesktopIntegration {
public:
    // exePath: the program to start; the folders follow XDG_CONFIG_HOME and
    // XDG_DATA_HOME (else ~/.config and ~/.local/share).
    explicit DesktopIntegration(std::string exePath);

    bool IsAutoStart() const;
    bool SetAutoStart(bool on) const;
    bool IsFlvAssociated() const;
    // Does nothing when the association is in place already.
    bool AssociateFlv() const;
    // Only when associated: the default and the program's .desktop file go.
    bool DissociateFlv() const;
    // The program's .desktop file alone (its menu entry, which also offers
    // it for .flv files), without making it their default.
    bool WriteMenuEntry() const;

    std::string AutoStartFile() const;
    std::string ApplicationFile() const;
    std::string MimeAppsFile() const;

private:
    std::string DesktopEntry(const std::string& exec, bool autostart) const;
    std::string exePath_;
};

}  // namespace platform
