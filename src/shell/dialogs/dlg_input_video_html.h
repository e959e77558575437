#pragma once
// The page-address dialog "播放视频网页" (205): page addresses one per line;
// "立即播放" (8001) queues them and plays the last, "加入列表" (8000) only
// queues them. It opens with the clipboard's text when that holds a web
// address; once on screen it posts WM_SHOW_INPUT_TIP to itself, which shows
// the balloon 30099 with example addresses at the edit box.
#include "platform/window.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QFrame;
class QPlainTextEdit;

class DlgInputVideoHtml : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlayNow = 8001;
    static constexpr int kAddToList = 8000;

    explicit DlgInputVideoHtml(const QString& clipboard, QWidget* parent = nullptr);
    ~DlgInputVideoHtml() override;

    // The non-empty lines as typed, in order, once the dialog ended with
    // 8000/8001.
    const std::vector<std::string>& Lines() const { return lines_; }
    QPlainTextEdit* Edit() const { return edit_; }
    // The balloon tip of the edit box (hidden until WM_SHOW_INPUT_TIP).
    QWidget* Balloon() const;
    // Ends the dialog as the button does.
    void Choose(int button);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The dialog's handle for the messages it posts to itself.
    class MessageWindow : public platform::Window {
    public:
        explicit MessageWindow(DlgInputVideoHtml& owner) : owner_(owner) {}

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        DlgInputVideoHtml& owner_;
    };

    void ShowInputTip();

    QPlainTextEdit* edit_;
    QFrame* balloon_;
    MessageWindow messages_{*this};
    bool tipPosted_ = false;
    std::vector<std::string> lines_;
};
