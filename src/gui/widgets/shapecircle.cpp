#include "widgets/shapecircle.h"

#include <QPainter>

ShapeCircle::ShapeCircle(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void ShapeCircle::setBrushColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void ShapeCircle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(m_color);
    // The outline in the text colour: the circle stands out from a dark background too.
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
}
