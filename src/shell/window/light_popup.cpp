#include "shell/window/light_popup.h"

#include <QPropertyAnimation>
#include <QSlider>
#include <QVBoxLayout>

CWndSliderLight::CWndSliderLight(QWidget* parent, std::function<void(int)> changed)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setFrameShape(QFrame::Box);
    setStyleSheet(QStringLiteral("CWndSliderLight { background: #1a1d24; border: 1px solid #2a3140; }"));
    slider_ = new QSlider(Qt::Vertical, this);
    slider_->setRange(0, 100);
    slider_->setValue(100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 8);
    layout->addWidget(slider_);
    resize(28, 88);
    connect(slider_, &QSlider::valueChanged, this, [changed = std::move(changed)](int value) {
        if (changed)
            changed(value);
    });
}

void CWndSliderLight::Popup(const QPoint& where)
{
    move(where);
    setWindowOpacity(0.0);
    show();
    auto* fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(kFadeMs);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
