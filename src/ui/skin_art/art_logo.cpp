#include "ui/skin_art/art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skin_art {
namespace {

// The logo on a grid of 24 units: a rounded square in a blue-violet fade
// with a white play triangle. The PNGs and the SVG are drawn from these
// same numbers.
constexpr double kGrid = 24;
constexpr double kInset = 0.5;
constexpr double kRadius = 6;
constexpr QPointF kPlay[3] = {{9.5, 7}, {17.5, 12}, {9.5, 17}};
const QColor kFadeStart = kAccent.lighter(120);
const QColor kFadeEnd(0x7B, 0x5C, 0xFF);

QString Number(double value)
{
    return QString::number(value, 'g', 6);
}

}  // namespace

QImage Logo(int size)
{
    QImage image = NewImage(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    QLinearGradient gradient(0, 0, kGrid, kGrid);
    gradient.setColorAt(0, kFadeStart);
    gradient.setColorAt(1, kFadeEnd);
    QPainterPath square;
    square.addRoundedRect(QRectF(kInset, kInset, kGrid - 2 * kInset, kGrid - 2 * kInset), kRadius, kRadius);
    painter.fillPath(square, gradient);
    QPainterPath play(kPlay[0]);
    play.lineTo(kPlay[1]);
    play.lineTo(kPlay[2]);
    play.closeSubpath();
    painter.fillPath(play, kWhite);
    return image;
}

QString LogoSvg()
{
    const QString side = Number(kGrid - 2 * kInset);
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
                          "<defs><linearGradient id=\"fade\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"%1\" "
                          "y2=\"%1\"><stop offset=\"0\" stop-color=\"%2\"/><stop offset=\"1\" stop-color=\"%3\"/>"
                          "</linearGradient></defs>\n"
                          "<rect x=\"%4\" y=\"%4\" width=\"%5\" height=\"%5\" rx=\"%6\" fill=\"url(#fade)\"/>\n"
                          "<path d=\"M%7 %8 L%9 %10 L%11 %12 Z\" fill=\"%13\"/>\n"
                          "</svg>\n")
        .arg(Number(kGrid), kFadeStart.name(), kFadeEnd.name(), Number(kInset), side, Number(kRadius))
        .arg(Number(kPlay[0].x()), Number(kPlay[0].y()), Number(kPlay[1].x()), Number(kPlay[1].y()),
             Number(kPlay[2].x()), Number(kPlay[2].y()), kWhite.name());
}

}  // namespace skin_art
