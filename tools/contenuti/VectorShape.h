#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <vector>

// How the inside of a shape is painted. Gradient geometry is in the shape's
// own pixels: a linear gradient runs from `start` to `end`, a radial one is
// centred on `start` and reaches `end`.
struct Paint
{
    enum class Kind { None, Solid, Linear, Radial };
    Kind kind = Kind::None;
    QColor color;
    QColor endColor;
    QPointF start, end;
};

// One edge of an outline: a straight line, or a quadratic curve through
// `control` (the only curve SWF shapes know).
struct Segment
{
    bool curved = false;
    QPointF control;
    QPointF to;
};

// One contour of a drawing, in design pixels (the stage is 400 x 400), with
// its fill and outline. Both the GIF rasteriser and the SWF writer read
// the geometry through twips(), so the two draw exactly the same edges.
class VectorShape
{
public:
    static VectorShape ellipse(QPointF centre, double rx, double ry);
    static VectorShape circle(QPointF centre, double r) { return ellipse(centre, r, r); }
    static VectorShape roundRect(const QRectF &rect, double radius);
    static VectorShape polygon(const std::vector<QPointF> &points);
    // An open path, outlined but never filled, unless close() is called.
    static VectorShape path(QPointF start);

    VectorShape &lineTo(QPointF to);
    VectorShape &quadTo(QPointF control, QPointF to);
    VectorShape &close();

    // Shifts the contour and its gradient.
    VectorShape &moveBy(QPointF offset);

    VectorShape &fill(const QColor &color);
    VectorShape &linear(const QColor &from, const QColor &to, QPointF start, QPointF end);
    VectorShape &radial(const QColor &centre, const QColor &rim, QPointF at, double radius);
    VectorShape &outline(const QColor &color, double width = 3.0);
    VectorShape &noOutline();

    // Same contour structure (edge count and kinds) and paint kind: a morph
    // between the two can be written.
    bool morphsInto(const VectorShape &other) const;
    // The shape a morph from `a` to `b` shows at `t` (0..1): points,
    // colours and outline width mixed linearly, as a player does.
    static VectorShape blended(const VectorShape &a, const VectorShape &b, double t);

    QPointF start() const { return m_start; }
    const std::vector<Segment> &segments() const { return m_segments; }
    bool isClosed() const { return m_closed; }
    const Paint &paint() const { return m_paint; }
    QColor strokeColor() const { return m_strokeColor; }
    double strokeWidth() const { return m_strokeWidth; }

    // Geometry rounded to whole twips, the unit of the movie's shapes.
    static int twips(double pixels);
    QPainterPath twipsPath() const;
    QRect twipsBounds() const;   // control points and half the outline included
    int strokeTwips() const { return m_strokeWidth > 0 ? twips(m_strokeWidth) : 0; }

private:
    QPointF m_start;
    std::vector<Segment> m_segments;
    bool m_closed = false;
    Paint m_paint;
    QColor m_strokeColor = QColor(40, 30, 30);
    double m_strokeWidth = 3.0;
};
