#pragma once
// The player's own controls on the main skin: the seek slider (201) with
// the played and the loaded share, the volume slider (220), the time label
// (270) and the status line (239), plus the two placeholders the skin
// format names ("tip_edit", "flash_placeholder").
#include <QLabel>
#include <QSlider>

#include <functional>

namespace ui {

// A horizontal slider over 0..100 drawn in the skin's colours. The user's
// release reaches the release handler; the program moves it with
// SetPosition, which does nothing while the user holds it.
class CWndSlider : public QSlider {
    Q_OBJECT
public:
    explicit CWndSlider(QWidget* parent);
    void SetPosition(int percent);
    bool IsHeld() const { return isSliderDown(); }
    void SetReleaseHandler(std::function<void(int percent)> handler) { onRelease_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Share of the track drawn as loaded (the seek slider), 0..100.
    int loaded_ = 0;

private:
    // The value under the mouse.
    int ValueAt(const QMouseEvent* event) const;
    std::function<void(int)> onRelease_;
};

class CWndSliderPlay : public CWndSlider {
    Q_OBJECT
public:
    using CWndSlider::CWndSlider;
    // Repaints only when the share changed.
    void SetLoaded(int percent);
    int GetLoaded() const { return loaded_; }
};

// The volume slider (220): the plain slider; the window stores where the
// user leaves it.
class CWndSliderVolume : public CWndSlider {
    Q_OBJECT
public:
    using CWndSlider::CWndSlider;
};

// Registers the controls above with the application's control factory.
void RegisterPlayerControls();

}  // namespace ui
