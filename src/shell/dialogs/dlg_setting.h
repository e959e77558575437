#pragma once
// The settings dialog "设置" with its one page "基本设置": start with the
// session, open .flv files with Quelt, background caching and how many
// videos at once, and the exit options.
#include <QDialog>

class CAppSetting;
class CFLVDownloadManager;
class QCheckBox;
class QComboBox;
namespace platform {
class DesktopIntegration;
}

class DlgSetting : public QDialog {
    Q_OBJECT
public:
    DlgSetting(CAppSetting& settings, const platform::DesktopIntegration& desktop, CFLVDownloadManager& downloads,
               QWidget* parent = nullptr);

    // Stores the page's values and applies them (OK).
    void Apply();

private:
    CAppSetting& settings_;
    const platform::DesktopIntegration& desktop_;
    CFLVDownloadManager& downloads_;
    QCheckBox* autoStart_;      // 1301
    QCheckBox* associate_;      // 1302
    QCheckBox* idleDownload_;   // 1500
    QComboBox* maxDownload_;    // 1303
    QCheckBox* exitPlaylist_;   // 1601
    QCheckBox* exitHistory_;    // 1600
};
