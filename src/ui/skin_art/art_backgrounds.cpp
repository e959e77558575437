#include "ui/skin_art/art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skin_art {
namespace {

// Normal, hover and pressed faces side by side; fills[i] transparent for
// no face.
QImage ThreeState(int width, int height, double radius, const QColor (&fills)[3], const QColor& outline = {})
{
    QImage image = NewImage(width * 3, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int state = 0; state < 3; ++state) {
        const QRectF face(state * width + 0.5, 0.5, width - 1.0, height - 1.0);
        QPainterPath path;
        path.addRoundedRect(face, radius, radius);
        if (fills[state].alpha() > 0)
            painter.fillPath(path, fills[state]);
        if (outline.isValid())
            painter.strokePath(path, QPen(outline, 1));
    }
    return image;
}

QColor White(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

QColor Accent(int lighter)
{
    return kAccent.lighter(lighter);
}

// The tab band's button: rows normal and selected, each the left end,
// the middle and the right end.
QImage TabButton()
{
    constexpr int kPart = 8;
    constexpr int kRow = 32;
    QImage image = NewImage(kPart * 3, kRow * 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 2; ++row) {
        const bool selected = row == 1;
        QPainterPath path;
        const QRectF face(1, row * kRow + 4, kPart * 3 - 2, kRow - 4);
        path.addRoundedRect(face.adjusted(0, 0, 0, 6), 6, 6);  // rounded top, square bottom
        painter.save();
        painter.setClipRect(QRectF(0, row * kRow, kPart * 3, kRow));
        painter.fillPath(path, selected ? QColor(0x2B, 0x2E, 0x37) : QColor(0x22, 0x24, 0x2A));
        if (selected)
            painter.fillRect(QRectF(3, row * kRow + 4, kPart * 3 - 6, 2), kAccent);
        painter.restore();
    }
    return image;
}

QImage CloseBox()
{
    QImage image = NewImage(26, 13);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int half = 0; half < 2; ++half) {
        painter.setPen(QPen(half == 0 ? kWhite : kIcon, 1.5, Qt::SolidLine, Qt::RoundCap));
        const double x = half * 13;
        painter.drawLine(QPointF(x + 3.5, 3.5), QPointF(x + 9.5, 9.5));
        painter.drawLine(QPointF(x + 9.5, 3.5), QPointF(x + 3.5, 9.5));
    }
    return image;
}

QImage Thumb()
{
    QImage image = NewImage(14, 14);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(kWhite);
    painter.setPen(QPen(kAccent, 2));
    painter.drawEllipse(QRectF(1.5, 1.5, 11, 11));
    return image;
}

// A faint vertical fade for the control bar and the title bar.
QImage Fade(const QColor& top, const QColor& bottom)
{
    QImage image = NewImage(8, 64);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 64);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(image.rect(), gradient);
    return image;
}

}  // namespace

QImage NewImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

std::vector<Art> DrawBackgrounds()
{
    const QColor none(0, 0, 0, 0);
    std::vector<Art> art;
    const QColor icon[3] = {none, White(22), White(40)};
    art.push_back({"btn_bk.png", ThreeState(32, 32, 6, icon)});
    const QColor iconOn[3] = {QColor(0x4C, 0x8D, 0xFF, 60), QColor(0x4C, 0x8D, 0xFF, 90), QColor(0x4C, 0x8D, 0xFF, 120)};
    art.push_back({"btn_bk_on.png", ThreeState(32, 32, 6, iconOn)});
    const QColor close[3] = {none, kCloseRed, kCloseRed.darker(120)};
    art.push_back({"btn_close_bk.png", ThreeState(32, 32, 6, close)});
    const QColor play[3] = {kAccent, Accent(115), kAccent.darker(115)};
    art.push_back({"play_bk.png", ThreeState(40, 40, 20, play)});
    art.push_back({"play_bk_small.png", ThreeState(28, 28, 14, play)});
    const QColor tab[3] = {none, White(16), White(28)};
    art.push_back({"tab_bk.png", ThreeState(24, 28, 7, tab)});
    const QColor tabOn[3] = {QColor(0x2B, 0x2E, 0x37), QColor(0x31, 0x34, 0x3E), QColor(0x27, 0x29, 0x31)};
    art.push_back({"tab_bk_on.png", ThreeState(24, 28, 7, tabOn)});
    const QColor pill[3] = {QColor(0x2A, 0x2D, 0x35), QColor(0x33, 0x36, 0x40), QColor(0x26, 0x28, 0x2F)};
    art.push_back({"pill_bk.png", ThreeState(24, 28, 6, pill, QColor(0x3A, 0x3D, 0x46))});
    const QColor pillOn[3] = {kAccent, Accent(112), kAccent.darker(112)};
    art.push_back({"pill_bk_on.png", ThreeState(24, 28, 6, pillOn)});
    art.push_back({"search_box.png", ThreeState(24, 28, 14, pill, QColor(0x3A, 0x3D, 0x46))
                                         .copy(0, 0, 24, 28)});
    art.push_back({"thumb.png", Thumb()});
    art.push_back({"tab_button.png", TabButton()});
    art.push_back({"close_button.png", CloseBox()});
    art.push_back({"logo.png", Logo(kLogoSkinSize)});
    art.push_back({"titlebar.png", Fade(QColor(0x1F, 0x21, 0x27), QColor(0x1A, 0x1B, 0x20))});
    art.push_back({"controlbar.png", Fade(QColor(0x1C, 0x1E, 0x23), QColor(0x17, 0x18, 0x1C))});
    return art;
}

}  // namespace skin_art
