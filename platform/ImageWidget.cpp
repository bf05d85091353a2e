#include "ImageWidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

ImageWidget::ImageWidget(QWidget *parent)
    : QWidget(parent)
{
    // An image has no background of its own: the container shows through
    // wherever the picture is transparent or absent.
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageWidget::setPicture(const Picture &picture)
{
    m_picture = picture;
    update();
}

void ImageWidget::setStretch(bool stretch)
{
    if (m_stretch == stretch)
        return;
    m_stretch = stretch;
    update();
}

void ImageWidget::setBorder(bool border)
{
    if (m_border == border)
        return;
    m_border = border;
    update();
}

void ImageWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull()) {
        const QImage &image = m_picture.image();
        if (m_stretch) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(rect(), image);
        } else {
            painter.drawImage(QPoint(0, 0), image);
        }
    }
    if (m_border) {
        painter.setPen(QPen(QColor(64, 64, 64), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ImageWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void ImageWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace platform
