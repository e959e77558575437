#pragma once
// The page-address dialog "播放视频网页" (205): page addresses one per line;
// "立即播放" (8001) queues them and plays the last, "加入列表" (8000) only
// queues them. It opens with the clipboard's text when that holds a web
// address, and with the tip 30099.
#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;

class DlgInputVideoHtml : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlayNow = 8001;
    static constexpr int kAddToList = 8000;

    explicit DlgInputVideoHtml(const QString& clipboard, QWidget* parent = nullptr);

    // The non-empty lines, in order, once the dialog ended with 8000/8001.
    const std::vector<std::string>& Lines() const { return lines_; }
    QPlainTextEdit* Edit() const { return edit_; }
    // Ends the dialog as the button does.
    void Choose(int button);

private:
    QPlainTextEdit* edit_;
    std::vector<std::string> lines_;
};
