#include "viewer/MethodImages.h"

#include <QPainter>
#include <QPixmap>

namespace viewer {

namespace {

// A rounded square in `fill` with a white letter: P procedure, F function.
QIcon letterImage(const QColor& fill, QChar letter)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(140));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(letter));
    return QIcon(pixmap);
}

// A bookmark ribbon: a section of the unit.
QIcon markerImage()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF ribbon[] = {{3.5, 1.5}, {12.5, 1.5}, {12.5, 14.5}, {8, 10.5}, {3.5, 14.5}};
    p.setPen(QColor(120, 80, 0));
    p.setBrush(QColor(230, 170, 30));
    p.drawPolygon(ribbon, 5);
    return QIcon(pixmap);
}

} // namespace

QList<QIcon> methodImages()
{
    return {letterImage(QColor(40, 130, 60), u'P'), letterImage(QColor(40, 90, 180), u'F'), markerImage()};
}

} // namespace viewer
