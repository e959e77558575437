#include "ui/widgets/player_controls.h"

#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace ui {

namespace {

// 0x00BBGGRR colours of the skin's palette.
constexpr std::uint32_t kTrack = 3353642;
constexpr std::uint32_t kLoaded = 6052956;
constexpr std::uint32_t kPlayed = 16747852;
constexpr std::uint32_t kText = 10522762;

template <typename Widget>
QWidget* Place(Widget* widget, const QRect& rect)
{
    widget->setGeometry(rect);
    widget->show();
    return widget;
}

}  // namespace

CWndSlider::CWndSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 100);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QSlider::sliderReleased, this, [this] {
        if (onRelease_)
            onRelease_(sliderPosition());
    });
}

void CWndSlider::SetPosition(int percent)
{
    if (!isSliderDown())
        setValue(std::clamp(percent, 0, 100));
}

int CWndSlider::ValueAt(const QMouseEvent* event) const
{
    return QStyle::sliderValueFromPosition(minimum(), maximum(), qRound(event->position().x()), std::max(1, width()));
}

// A press on the track jumps there at once, as the player's sliders do, and
// holds the knob: it follows the mouse, and the release hands the place to
// the release handler. The handling is whole here, since the style's own
// would look for a handle where this slider draws none.
void CWndSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    setSliderDown(true);
    setSliderPosition(ValueAt(event));
    event->accept();
}

void CWndSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    setSliderPosition(ValueAt(event));
    event->accept();
}

void CWndSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isSliderDown()) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    setSliderPosition(ValueAt(event));
    setSliderDown(false);  // sliderReleased: the handler runs
    event->accept();
}

// A slider hidden while held (its skin goes) lets go without a release:
// the place it was dragged to is not taken, and the program moves it again.
void CWndSlider::hideEvent(QHideEvent* event)
{
    if (isSliderDown()) {
        const QSignalBlocker quiet(this);
        setSliderDown(false);
    }
    QSlider::hideEvent(event);
}

void CWndSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int trackHeight = 4;
    const QRectF track(0, (height() - trackHeight) / 2.0, width(), trackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FCSkinColour(kTrack, 1));
    painter.drawRoundedRect(track, 2, 2);
    if (loaded_ > 0) {
        painter.setBrush(FCSkinColour(kLoaded, 1));
        painter.drawRoundedRect(QRectF(track.left(), track.top(), track.width() * loaded_ / 100.0, trackHeight), 2, 2);
    }
    const double played = track.width() * value() / 100.0;
    painter.setBrush(FCSkinColour(kPlayed, 1));
    painter.drawRoundedRect(QRectF(track.left(), track.top(), played, trackHeight), 2, 2);
    const double knob = height() * 0.7;
    painter.drawEllipse(QPointF(std::clamp(played, knob / 2, width() - knob / 2), height() / 2.0), knob / 2, knob / 2);
}

void CWndSliderPlay::SetLoaded(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == loaded_)
        return;
    loaded_ = percent;
    update();
}

void RegisterPlayerControls()
{
    CPlayerCtrlFactory& factory = CPlayerCtrlFactory::Instance();
    factory.Register("slider_play", [](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        return Place(new CWndSliderPlay(parent), rect);
    });
    factory.Register("slider_volume", [](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        return Place(new CWndSliderVolume(parent), rect);
    });
    const auto label = [](const QRect& rect, QWidget* parent, const QString& text) {
        auto* widget = new QLabel(text, parent);
        widget->setStyleSheet(QStringLiteral("color: %1;").arg(FCSkinColour(kText, 1).name()));
        return Place(widget, rect);
    };
    factory.Register("play_time", [label](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        return label(rect, parent, QStringLiteral("00:00 / 00:00"));
    });
    factory.Register("status_bar", [label](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        return label(rect, parent, QString());
    });
    // A hidden edit and a disabled button, kept only for the places the
    // skin gives them.
    factory.Register("tip_edit", [](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        auto* edit = new QLineEdit(parent);
        edit->setGeometry(rect);
        edit->hide();
        return edit;
    });
    factory.Register("flash_placeholder", [](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
        auto* button = new QPushButton(parent);
        button->setEnabled(false);
        return Place(button, rect);
    });
}

}  // namespace ui
