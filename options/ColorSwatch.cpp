#include "options/ColorSwatch.h"

#include "platform/Colors.h"

#include <QMouseEvent>

TColorSwatch::TColorSwatch(QWidget* parent) : QLabel(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setMinimumSize(24, 17);
    setColor(platform::clWhite);
}

void TColorSwatch::setColor(qint32 value)
{
    m_color = value;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, platform::toQColor(value));
    setPalette(pal);
}

void TColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(this);
}
