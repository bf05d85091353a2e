#pragma once

#include <QColor>
#include <QPointF>
#include <QTransform>
#include <cmath>

// Blending of the start and end values of a morph shape at a ratio t (0..1).
namespace swf::interpolation {

inline double mix(double a, double b, double t) { return a + (b - a) * t; }

inline QPointF mix(const QPointF &a, const QPointF &b, double t)
{
    return QPointF(mix(a.x(), b.x(), t), mix(a.y(), b.y(), t));
}

inline QColor mix(const QColor &a, const QColor &b, double t)
{
    auto channel = [t](int x, int y) { return int(std::lround(mix(x, y, t))); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()), channel(a.alpha(), b.alpha()));
}

inline QTransform mix(const QTransform &a, const QTransform &b, double t)
{
    return QTransform(mix(a.m11(), b.m11(), t), mix(a.m12(), b.m12(), t), mix(a.m21(), b.m21(), t),
                      mix(a.m22(), b.m22(), t), mix(a.dx(), b.dx(), t), mix(a.dy(), b.dy(), t));
}

} // namespace swf::interpolation
