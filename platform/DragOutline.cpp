#include "DragOutline.h"

#include <QPainter>

namespace platform {

DragOutline::DragOutline(QWidget *clientArea)
    : QWidget(clientArea)
{
    setObjectName(QStringLiteral("dragOutline"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void DragOutline::paintEvent(QPaintEvent *)
{
    // A dark frame with a light inner edge stays visible on any background.
    QPainter painter(this);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
    painter.setPen(QPen(QColor(235, 235, 235), 1));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

} // namespace platform
