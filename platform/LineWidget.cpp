#include "LineWidget.h"

#include <QPainter>

namespace platform {

LineWidget::LineWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::setSegment(QPoint from, QPoint to)
{
    m_from = from;
    m_to = to;
    update();
}

void LineWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(m_from, m_to);
}

} // namespace platform
