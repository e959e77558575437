#pragma once
// The brightness pop-up (command::kBrightness): a small vertical slider that fades in
// above its button; moving it dims the picture through the player page.
#include <QFrame>

#include <functional>

class QSlider;

class CWndSliderLight : public QFrame {
    Q_OBJECT
public:
    static constexpr int kFadeMs = 150;

    // changed receives the brightness, 0..100 (100: as the video is).
    CWndSliderLight(QWidget* parent, std::function<void(int)> changed);
    // Shows it with its top-left corner at `where` (global), fading in.
    void Popup(const QPoint& where);
    QSlider* Slider() const { return slider_; }

private:
    QSlider* slider_;
};
