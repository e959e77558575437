#include "ui/skin_art/art.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace skin_art {
namespace {

constexpr int kSize = 20;

QImage Icon(const std::function<void(QPainter&)>& draw, const QColor& colour = kIcon)
{
    QImage image = NewImage(kSize, kSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    return image;
}

void Filled(QPainter& painter, const QPainterPath& path)
{
    painter.fillPath(path, painter.pen().color());
}

QPainterPath Triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

QPainterPath Speaker()
{
    QPainterPath path(QPointF(3, 7.5));
    path.lineTo(6.5, 7.5);
    path.lineTo(10.5, 4);
    path.lineTo(10.5, 16);
    path.lineTo(6.5, 12.5);
    path.lineTo(3, 12.5);
    path.closeSubpath();
    return path;
}

}  // namespace

std::vector<Art> DrawIcons()
{
    std::vector<Art> icons;
    icons.push_back({"play.png", Icon([](QPainter& p) { Filled(p, Triangle({6, 3.5}, {16.5, 10}, {6, 16.5})); },
                                      kWhite)});
    icons.push_back({"pause.png", Icon([](QPainter& p) {
                         p.fillRect(QRectF(5, 4, 3.5, 12), kWhite);
                         p.fillRect(QRectF(11.5, 4, 3.5, 12), kWhite);
                     })});
    icons.push_back({"stop.png", Icon([](QPainter& p) {
                         QPainterPath path;
                         path.addRoundedRect(QRectF(5, 5, 10, 10), 1.5, 1.5);
                         Filled(p, path);
                     })});
    icons.push_back({"save.png", Icon([](QPainter& p) {
                         p.drawLine(QPointF(10, 3), QPointF(10, 12.5));
                         p.drawPolyline(QPolygonF({{6, 9}, {10, 13}, {14, 9}}));
                         p.drawPolyline(QPolygonF({{3.5, 13}, {3.5, 16.5}, {16.5, 16.5}, {16.5, 13}}));
                     })});
    icons.push_back({"capture.png", Icon([](QPainter& p) {
                         QPainterPath body;
                         body.addRoundedRect(QRectF(2.5, 6, 15, 10.5), 2, 2);
                         p.drawPath(body);
                         p.drawPolyline(QPolygonF({{7, 6}, {8.5, 3.5}, {11.5, 3.5}, {13, 6}}));
                         p.drawEllipse(QPointF(10, 11.2), 2.8, 2.8);
                     })});
    icons.push_back({"light.png", Icon([](QPainter& p) {
                         p.drawEllipse(QPointF(10, 10), 3.4, 3.4);
                         for (int i = 0; i < 8; ++i) {
                             const double a = i * M_PI / 4;
                             p.drawLine(QPointF(10 + 5.8 * std::cos(a), 10 + 5.8 * std::sin(a)),
                                        QPointF(10 + 7.6 * std::cos(a), 10 + 7.6 * std::sin(a)));
                         }
                     })});
    icons.push_back({"fullscreen.png", Icon([](QPainter& p) {
                         p.drawPolyline(QPolygonF({{3.5, 8}, {3.5, 3.5}, {8, 3.5}}));
                         p.drawPolyline(QPolygonF({{12, 3.5}, {16.5, 3.5}, {16.5, 8}}));
                         p.drawPolyline(QPolygonF({{16.5, 12}, {16.5, 16.5}, {12, 16.5}}));
                         p.drawPolyline(QPolygonF({{8, 16.5}, {3.5, 16.5}, {3.5, 12}}));
                     })});
    icons.push_back({"wide.png", Icon([](QPainter& p) {
                         QPainterPath frame;
                         frame.addRoundedRect(QRectF(2.5, 5.5, 15, 9), 1.5, 1.5);
                         p.drawPath(frame);
                         p.drawLine(QPointF(6, 10), QPointF(14, 10));
                         p.drawPolyline(QPolygonF({{7.5, 8.5}, {6, 10}, {7.5, 11.5}}));
                         p.drawPolyline(QPolygonF({{12.5, 8.5}, {14, 10}, {12.5, 11.5}}));
                     })});
    icons.push_back({"volume.png", Icon([](QPainter& p) {
                         Filled(p, Speaker());
                         p.drawArc(QRectF(9, 6, 6, 8), -60 * 16, 120 * 16);
                         p.drawArc(QRectF(8, 3, 10, 14), -60 * 16, 120 * 16);
                     })});
    icons.push_back({"muted.png", Icon([](QPainter& p) {
                         Filled(p, Speaker());
                         p.drawLine(QPointF(12.5, 7.5), QPointF(17.5, 12.5));
                         p.drawLine(QPointF(17.5, 7.5), QPointF(12.5, 12.5));
                     })});
    icons.push_back({"menu.png", Icon([](QPainter& p) {
                         for (double y : {5.5, 10.0, 14.5})
                             p.drawLine(QPointF(4, y), QPointF(16, y));
                     })});
    icons.push_back({"pin.png", Icon([](QPainter& p) {
                         QPainterPath head;
                         head.moveTo(7, 3.5);
                         head.lineTo(13, 3.5);
                         head.lineTo(12, 9);
                         head.lineTo(14.5, 11.5);
                         head.lineTo(5.5, 11.5);
                         head.lineTo(8, 9);
                         head.closeSubpath();
                         p.drawPath(head);
                         p.drawLine(QPointF(10, 11.5), QPointF(10, 17));
                     })});
    icons.push_back({"mini.png", Icon([](QPainter& p) {
                         p.drawRoundedRect(QRectF(2.5, 3.5, 15, 13), 1.5, 1.5);
                         QPainterPath inner;
                         inner.addRoundedRect(QRectF(9.5, 10, 6, 4.5), 1, 1);
                         Filled(p, inner);
                     })});
    icons.push_back({"minimize.png", Icon([](QPainter& p) { p.drawLine(QPointF(5, 10.5), QPointF(15, 10.5)); })});
    icons.push_back({"maximize.png", Icon([](QPainter& p) { p.drawRoundedRect(QRectF(5, 5, 10, 10), 1.2, 1.2); })});
    icons.push_back({"close.png", Icon([](QPainter& p) {
                         p.drawLine(QPointF(5.5, 5.5), QPointF(14.5, 14.5));
                         p.drawLine(QPointF(14.5, 5.5), QPointF(5.5, 14.5));
                     })});
    icons.push_back({"search.png", Icon([](QPainter& p) {
                         p.drawEllipse(QPointF(8.5, 8.5), 5, 5);
                         p.drawLine(QPointF(12.3, 12.3), QPointF(16.5, 16.5));
                     })});
    icons.push_back({"back.png", Icon([](QPainter& p) {
                         p.drawRoundedRect(QRectF(2.5, 3.5, 15, 13), 1.5, 1.5);
                         p.drawLine(QPointF(6.5, 13), QPointF(13, 7));
                         p.drawPolyline(QPolygonF({{8.5, 7}, {13, 7}, {13, 11.5}}));
                     })});
    icons.push_back({"expand.png", Icon([](QPainter& p) {
                         p.drawPolyline(QPolygonF({{11, 3.5}, {16.5, 3.5}, {16.5, 9}}));
                         p.drawLine(QPointF(16.5, 3.5), QPointF(10.5, 9.5));
                         p.drawPolyline(QPolygonF({{9, 16.5}, {3.5, 16.5}, {3.5, 11}}));
                         p.drawLine(QPointF(3.5, 16.5), QPointF(9.5, 10.5));
                     })});
    return icons;
}

}  // namespace skin_art
