#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <cmath>

namespace swf {

inline bool isFinite(const QRectF &r)
{
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.right())
        && std::isfinite(r.bottom());
}

// The whole pixels of `bounds` grown by `grow` on every side, within
// `limit`; empty when none. Cut while still in floating point: bounds far
// off the device would overflow a QRect. Bounds that are not numbers give
// all of `limit`.
inline QRect pixelsWithin(const QRectF &bounds, double grow, const QRect &limit)
{
    if (!isFinite(bounds) || !std::isfinite(grow))
        return limit;
    const QRectF cut = bounds.adjusted(-grow, -grow, grow, grow) & QRectF(limit);
    return cut.isEmpty() ? QRect() : cut.toAlignedRect() & limit;
}

// The device pixels a painter's clip lets through, when it is one
// rectangle: the raster engine rounds each edge of a clip rectangle to the
// nearest pixel boundary, which QRegion's conversion of it (rounding the
// size apart from the position) misses by a pixel at the right or bottom
// edge now and then. False for a clip of another shape or under a rotating
// transform.
inline bool clipPixels(const QPainter &painter, QRect *pixels)
{
    if (painter.transform().type() > QTransform::TxScale || painter.clipRegion().rectCount() > 1)
        return false;
    const QRectF r = painter.transform().mapRect(painter.clipBoundingRect());
    if (!isFinite(r))
        return false;
    *pixels = QRect(QPoint(qRound(r.left()), qRound(r.top())), QPoint(qRound(r.right()) - 1, qRound(r.bottom()) - 1));
    return true;
}

// Draws `source` of `image` (all of it when null) at `at`, pixel for pixel:
// the painter's transform is a whole-pixel translation at most. Smoothing
// cannot change such a drawing, but while it is asked for Qt blends through
// its generic span path, handed to worker threads and waited for, instead
// of its direct blend.
inline void drawPixelForPixel(QPainter &painter, const QPoint &at, const QImage &image, const QRect &source = QRect())
{
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    if (smooth)
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (source.isNull())
        painter.drawImage(at, image);
    else
        painter.drawImage(at, image, source);
    if (smooth)
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

} // namespace swf
