#include "app/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace glyphs {

namespace {

void folder(QPainter& p, const QColor& colour)
{
    p.setBrush(colour.darker(115));
    p.drawRoundedRect(QRectF(3, 7, 12, 6), 1.5, 1.5);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(3, 10, 26, 17), 2, 2);
}

QPixmap canvas(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon toolGlyph(Tool tool)
{
    QPixmap pixmap = canvas(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    switch (tool) {
    case Tool::SetRoot:
        folder(p, QColor(240, 200, 80));
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QPointF(22, 19), 4, 4);
        break;
    case Tool::Scan:
        p.setBrush(QColor(200, 230, 255));
        p.setPen(QPen(QColor(40, 60, 110), 3));
        p.drawEllipse(QPointF(13, 13), 8, 8);
        p.drawLine(QPointF(19, 19), QPointF(28, 28));
        break;
    case Tool::Options: {
        p.setBrush(QColor(150, 150, 160));
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(16, 16);
            p.rotate(45 * i);
            p.drawRect(QRectF(-2.5, -14, 5, 6));
            p.restore();
        }
        p.drawEllipse(QPointF(16, 16), 9, 9);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
        break;
    }
    case Tool::RunProject:
        p.setBrush(QColor(230, 60, 50));
        p.drawRect(QRectF(4, 6, 18, 22));
        p.setBrush(QColor(60, 170, 60));
        p.drawPolygon(QPolygonF({QPointF(16, 12), QPointF(29, 20), QPointF(16, 28)}));
        break;
    case Tool::RunExe:
        p.setBrush(QColor(230, 235, 245));
        p.drawRect(QRectF(3, 5, 26, 21));
        p.setBrush(QColor(40, 90, 180));
        p.drawRect(QRectF(3, 5, 26, 5));
        p.setBrush(QColor(60, 170, 60));
        p.drawPolygon(QPolygonF({QPointF(12, 13), QPointF(22, 18), QPointF(12, 23)}));
        break;
    case Tool::OpenFolder:
        folder(p, QColor(240, 200, 80));
        p.setBrush(QColor(250, 225, 130));
        p.drawPolygon(QPolygonF({QPointF(7, 15), QPointF(31, 15), QPointF(27, 27), QPointF(3, 27)}));
        break;
    case Tool::ViewFile:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 18, 24));
        p.setPen(QPen(QColor(120, 120, 120), 1.5));
        for (int y = 8; y <= 20; y += 4)
            p.drawLine(QPointF(9, y), QPointF(21, y));
        p.setPen(QPen(QColor(40, 60, 110), 2.5));
        p.setBrush(QColor(200, 230, 255, 180));
        p.drawEllipse(QPointF(20, 21), 5, 5);
        p.drawLine(QPointF(24, 25), QPointF(29, 30));
        break;
    }
    return QIcon(pixmap);
}

QList<QIcon> rowImages()
{
    const QColor colours[] = {QColor(60, 110, 200), QColor(220, 60, 60), QColor(150, 150, 150)};
    QList<QIcon> images;
    for (int i = 0; i < 3; ++i) {
        QPixmap pixmap = canvas(14, 15);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(colours[i].darker(140));
        p.setBrush(colours[i]);
        if (i == 2)
            p.drawRect(QRectF(3, 1.5, 8, 12));
        else
            p.drawEllipse(QRectF(2, 3, 10, 10));
        images << QIcon(pixmap);
    }
    return images;
}

} // namespace glyphs
