// The main window as the HTML views' host (IBrowseHost).
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/string_table.h"

#include <QMessageBox>

void COvrinDlg::AddVideo(const std::string& title, const std::string& key, const std::string& mode)
{
    if (control_)
        control_->AddVideo(title, key, mode);
}

void COvrinDlg::ShowTrayBalloon(const std::string& title, const std::string& text)
{
    if (menus_)
        menus_->ShowBalloon(QString::fromStdString(title), QString::fromStdString(text));
}

// A message box of its own that does not hold the page's navigation up.
void COvrinDlg::ShowMessage(const std::string& text)
{
    auto* box = new QMessageBox(QMessageBox::Information, QString::fromStdString(LoadString(IDS_PRODUCT_NAME)),
                                QString::fromStdString(text), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("browse-message"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void COvrinDlg::ShowBrowseTabs()
{
    OnCommand(command::kBrowseTab);
}
