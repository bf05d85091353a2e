#include "VectorShape.h"

#include <cmath>

VectorShape VectorShape::ellipse(QPointF c, double rx, double ry)
{
    // Eight quadratic arcs of 45 degrees: the control point lies on the
    // tangents' crossing, 1/cos(22.5 degrees) out from the centre.
    const double k = 1.0 / std::cos(M_PI / 8.0);
    VectorShape s;
    s.m_start = QPointF(c.x() + rx, c.y());
    for (int i = 1; i <= 8; ++i) {
        const double mid = (i - 0.5) * M_PI / 4.0;
        const double end = i * M_PI / 4.0;
        s.quadTo(QPointF(c.x() + rx * k * std::cos(mid), c.y() + ry * k * std::sin(mid)),
                 QPointF(c.x() + rx * std::cos(end), c.y() + ry * std::sin(end)));
    }
    s.m_segments.back().to = s.m_start;
    s.m_closed = true;
    return s;
}

VectorShape VectorShape::roundRect(const QRectF &r, double radius)
{
    const double q = std::min({radius, r.width() / 2, r.height() / 2});
    VectorShape s;
    s.m_start = QPointF(r.left() + q, r.top());
    s.lineTo(QPointF(r.right() - q, r.top()));
    s.quadTo(r.topRight(), QPointF(r.right(), r.top() + q));
    s.lineTo(QPointF(r.right(), r.bottom() - q));
    s.quadTo(r.bottomRight(), QPointF(r.right() - q, r.bottom()));
    s.lineTo(QPointF(r.left() + q, r.bottom()));
    s.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - q));
    s.lineTo(QPointF(r.left(), r.top() + q));
    s.quadTo(r.topLeft(), s.m_start);
    s.m_closed = true;
    return s;
}

VectorShape VectorShape::polygon(const std::vector<QPointF> &points)
{
    VectorShape s;
    if (points.empty())
        return s;
    s.m_start = points.front();
    for (size_t i = 1; i < points.size(); ++i)
        s.lineTo(points[i]);
    return s.close();
}

VectorShape VectorShape::path(QPointF start)
{
    VectorShape s;
    s.m_start = start;
    return s;
}

VectorShape &VectorShape::lineTo(QPointF to)
{
    m_segments.push_back({false, {}, to});
    return *this;
}

VectorShape &VectorShape::quadTo(QPointF control, QPointF to)
{
    m_segments.push_back({true, control, to});
    return *this;
}

VectorShape &VectorShape::close()
{
    // A contour that already ends on its start is snapped shut, so that
    // rounding never adds a stray edge (morphs need equal edge counts).
    if (!m_segments.empty() && m_segments.back().to == m_start)
        m_segments.back().to = m_start;
    else
        lineTo(m_start);
    m_closed = true;
    return *this;
}

VectorShape &VectorShape::moveBy(QPointF d)
{
    m_start += d;
    for (Segment &s : m_segments) {
        s.control += d;
        s.to += d;
    }
    m_paint.start += d;
    m_paint.end += d;
    return *this;
}

VectorShape &VectorShape::fill(const QColor &color)
{
    m_paint = {Paint::Kind::Solid, color, color, {}, {}};
    return *this;
}

VectorShape &VectorShape::linear(const QColor &from, const QColor &to, QPointF start, QPointF end)
{
    m_paint = {Paint::Kind::Linear, from, to, start, end};
    return *this;
}

VectorShape &VectorShape::radial(const QColor &centre, const QColor &rim, QPointF at, double radius)
{
    m_paint = {Paint::Kind::Radial, centre, rim, at, at + QPointF(radius, 0)};
    return *this;
}

VectorShape &VectorShape::outline(const QColor &color, double width)
{
    m_strokeColor = color;
    m_strokeWidth = width;
    return *this;
}

VectorShape &VectorShape::noOutline()
{
    m_strokeWidth = 0;
    return *this;
}

bool VectorShape::morphsInto(const VectorShape &other) const
{
    if (m_segments.size() != other.m_segments.size() || m_closed != other.m_closed
        || m_paint.kind != other.m_paint.kind || (m_strokeWidth > 0) != (other.m_strokeWidth > 0))
        return false;
    for (size_t i = 0; i < m_segments.size(); ++i)
        if (m_segments[i].curved != other.m_segments[i].curved)
            return false;
    return true;
}

static QPointF mixPoint(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

static QColor mixColor(const QColor &a, const QColor &b, double t)
{
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()),
                  m(a.alpha(), b.alpha()));
}

VectorShape VectorShape::blended(const VectorShape &a, const VectorShape &b, double t)
{
    VectorShape s = a;
    s.m_start = mixPoint(a.m_start, b.m_start, t);
    for (size_t i = 0; i < s.m_segments.size() && i < b.m_segments.size(); ++i) {
        s.m_segments[i].control = mixPoint(a.m_segments[i].control, b.m_segments[i].control, t);
        s.m_segments[i].to = mixPoint(a.m_segments[i].to, b.m_segments[i].to, t);
    }
    s.m_paint.color = mixColor(a.m_paint.color, b.m_paint.color, t);
    s.m_paint.endColor = mixColor(a.m_paint.endColor, b.m_paint.endColor, t);
    s.m_paint.start = mixPoint(a.m_paint.start, b.m_paint.start, t);
    s.m_paint.end = mixPoint(a.m_paint.end, b.m_paint.end, t);
    s.m_strokeColor = mixColor(a.m_strokeColor, b.m_strokeColor, t);
    s.m_strokeWidth = a.m_strokeWidth + (b.m_strokeWidth - a.m_strokeWidth) * t;
    return s;
}

int VectorShape::twips(double pixels)
{
    return int(std::lround(pixels * 20.0));
}

static QPointF toTwips(QPointF p)
{
    return QPointF(VectorShape::twips(p.x()), VectorShape::twips(p.y()));
}

QPainterPath VectorShape::twipsPath() const
{
    QPainterPath path(toTwips(m_start));
    for (const Segment &s : m_segments) {
        if (s.curved)
            path.quadTo(toTwips(s.control), toTwips(s.to));
        else
            path.lineTo(toTwips(s.to));
    }
    if (m_closed)
        path.closeSubpath();
    return path;
}

QRect VectorShape::twipsBounds() const
{
    QPointF p = toTwips(m_start);
    double x0 = p.x(), x1 = p.x(), y0 = p.y(), y1 = p.y();
    auto grow = [&](QPointF q) {
        q = toTwips(q);
        x0 = std::min(x0, q.x());
        x1 = std::max(x1, q.x());
        y0 = std::min(y0, q.y());
        y1 = std::max(y1, q.y());
    };
    for (const Segment &s : m_segments) {
        if (s.curved)
            grow(s.control);
        grow(s.to);
    }
    const int half = (strokeTwips() + 1) / 2;
    return QRect(QPoint(int(x0) - half, int(y0) - half), QPoint(int(x1) + half, int(y1) + half));
}
