#include "shell/dialogs/dlg_color_scheme.h"

#include "common/event_window.h"
#include "common/string_table.h"
#include "shell/settings/app_setting.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {


// The colour strip: the hues from red round to red, full and mid-light.
class ColourStrip : public QWidget {
public:
    using QWidget::QWidget;
    static QColor ColourAt(double x)
    {
        return QColor::fromHslF(std::clamp(x, 0.0, 1.0) * 0.999, 0.8, 0.5);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), 0);
        for (int step = 0; step <= 12; ++step)
            gradient.setColorAt(step / 12.0, ColourAt(step / 12.0));
        painter.fillRect(rect(), gradient);
    }
};

}  // namespace

DlgColorScheme::DlgColorScheme(CAppSetting& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), oldTone_(settings.skinColorTone), oldVividness_(settings.skinSaturation)
{
    setWindowTitle(ui::Tr("调节颜色"));
    ui::FCApplySkinPalette(this);
    strip_ = new ColourStrip(this);
    strip_->setFixedHeight(30);
    strip_->setCursor(Qt::CrossCursor);
    // Clicks on the strip reach the dialog, which picks the colour.
    strip_->setAttribute(Qt::WA_TransparentForMouseEvents);
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setRange(0, 200);
    number_ = new QLabel(QStringLiteral("999"));
    number_->setMinimumWidth(32);
    auto* restore = new QPushButton(ui::Tr("恢复默认"));
    auto* ok = new QPushButton(ui::Text(IDS_BUTTON_OK));
    auto* tip = new QLabel(ui::Text(IDS_PICK_COLOUR));

    auto* vivid = new QHBoxLayout;
    vivid->addWidget(new QLabel(ui::Tr("鲜艳：")));
    vivid->addWidget(slider_, 1);
    vivid->addWidget(number_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restore);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 30, 30, 16);
    layout->addWidget(strip_);
    layout->addWidget(tip);
    layout->addLayout(vivid);
    layout->addLayout(buttons);
    resize(384, 220);

    ShowFields();
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        settings_.skinSaturation = value;
        ShowFields();
        Broadcast();
    });
    connect(restore, &QPushButton::clicked, this, &DlgColorScheme::RestoreDefault);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

std::uint32_t DlgColorScheme::ToneAt(const QPoint& stripPoint) const
{
    const QColor colour = ColourStrip::ColourAt(static_cast<double>(stripPoint.x()) / std::max(1, strip_->width() - 1));
    return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8
           | static_cast<std::uint32_t>(colour.blue()) << 16;
}

void DlgColorScheme::RestoreDefault()
{
    settings_.skinColorTone = 0;
    settings_.skinSaturation = 100;
    ShowFields();
    Broadcast();
}

void DlgColorScheme::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        PickAt(event->position().toPoint());
}

void DlgColorScheme::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        PickAt(event->position().toPoint());
}

// Inside the strip the tone becomes its colour; the broadcast goes out
// either way.
void DlgColorScheme::PickAt(const QPoint& dialogPoint)
{
    if (strip_->geometry().contains(dialogPoint))
        settings_.skinColorTone = static_cast<int>(ToneAt(dialogPoint - strip_->geometry().topLeft()));
    Broadcast();
}

void DlgColorScheme::ShowFields()
{
    const QSignalBlocker quiet(slider_);
    slider_->setValue(settings_.skinSaturation);
    number_->setText(QString::number(settings_.skinSaturation));
}

void DlgColorScheme::Broadcast()
{
    BroadcastEvent(WM_EVENT_SKIN_RECOLOURED, 0);
}

void DlgColorScheme::reject()
{
    settings_.skinColorTone = oldTone_;
    settings_.skinSaturation = oldVividness_;
    Broadcast();
    QDialog::reject();
}
