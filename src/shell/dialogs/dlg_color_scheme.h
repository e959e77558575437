#pragma once
// The colour-scheme dialog "调节颜色": a click or a drag on the colour strip
// tints the skin with that colour, the slider sets its vividness, "恢复默认"
// goes back to the untinted skin. Every change is stored in the settings at
// once and broadcast (WM_EVENT_SKIN_RECOLOURED) so that every skinned window redraws; closing
// the dialog without "确定" puts the scheme back as it was.
#include <QDialog>

#include <cstdint>

class CAppSetting;
class QLabel;
class QSlider;
class QWidget;

class DlgColorScheme : public QDialog {
    Q_OBJECT
public:
    explicit DlgColorScheme(CAppSetting& settings, QWidget* parent = nullptr);

    QWidget* Strip() const { return strip_; }
    QSlider* Slider() const { return slider_; }
    // The strip's colour at a point of it, as 0x00BBGGRR.
    std::uint32_t ToneAt(const QPoint& stripPoint) const;
    void RestoreDefault();  // "恢复默认"
    // Closing without "确定": the scheme goes back to what it was.
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void PickAt(const QPoint& dialogPoint);
    void ShowFields();
    void Broadcast();

    CAppSetting& settings_;
    QWidget* strip_;   // 300
    QSlider* slider_;  // 2000
    QLabel* number_;   // 2001
    int oldTone_;
    int oldVividness_;
};
