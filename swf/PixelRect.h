#pragma once

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

} // namespace swf
