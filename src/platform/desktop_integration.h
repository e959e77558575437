#pragma once
// The program's place in the desktop, in its freedesktop forms: start with
// the session (an entry in ~/.config/autostart), its menu entry
// (quelt.desktop, written by the install) and open .flv files (a hidden
// .desktop file of their own, quelt-flv.desktop, and the video/x-flv default
// in mimeapps.list). The association and the menu entry are separate files,
// so that turning the association off keeps the program in the menu.
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
    // Only when associated: the default and the association's file go; the
    // menu entry stays.
    bool DissociateFlv() const;
    // The menu entry (which also offers the program for .flv files in
    // "Open with"), without making it their default.
    bool WriteMenuEntry() const;
    // The menu entry goes, when it is this executable's ("quelt uninstall").
    bool RemoveMenuEntry() const;

    std::string AutoStartFile() const;
    std::string ApplicationFile() const;  // the menu entry
    std::string AssociationFile() const;
    std::string MimeAppsFile() const;

private:
    enum class EntryKind { AutoStart, Menu, Association };
    std::string DesktopEntry(EntryKind kind) const;
    std::string OpenCommand() const;
    std::string exePath_;
};

}  // namespace platform
