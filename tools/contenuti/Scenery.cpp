#include "Scenery.h"

#include <cmath>

namespace Scenery {

namespace {

QPointF polar(double r, double degrees)
{
    const double a = degrees * M_PI / 180.0;
    return QPointF(r * std::cos(a), r * std::sin(a));
}

} // namespace

std::vector<VectorShape> sky(const QColor &top, const QColor &horizon, double height)
{
    return {VectorShape::roundRect(QRectF(-10, -10, 420, height + 10), 0)
                .linear(top, horizon, QPointF(0, 0), QPointF(0, height))
                .noOutline()};
}

VectorShape veil()
{
    return VectorShape::roundRect(QRectF(-10, -10, 420, 420), 0).fill(QColor(255, 255, 255)).noOutline();
}

std::vector<VectorShape> meadow(double top, const QColor &grass, const QColor &soil)
{
    VectorShape ground = VectorShape::roundRect(QRectF(-10, top, 420, 420 - top), 0)
                             .linear(soil.lighter(115), soil.darker(125), QPointF(0, top), QPointF(0, 400))
                             .noOutline();
    VectorShape edge = VectorShape::path(QPointF(-10, top + 14));
    for (int i = 0; i < 10; ++i) {
        const double x = -10 + i * 42;
        edge.quadTo(QPointF(x + 21, top + 24), QPointF(x + 42, top + 14));
    }
    edge.lineTo(QPointF(410, top - 4)).lineTo(QPointF(-10, top - 4)).close();
    edge.fill(grass).outline(grass.darker(140), 2.5);
    return {ground, edge};
}

std::vector<VectorShape> sun(double radius, bool withFace)
{
    std::vector<VectorShape> shapes{
        star(QPointF(0, 0), radius * 1.55, radius * 1.1, 12, QColor(255, 200, 40)),
        VectorShape::circle(QPointF(0, 0), radius)
            .radial(QColor(255, 245, 150), QColor(255, 200, 30), QPointF(-radius * 0.3, -radius * 0.3), radius * 1.4)
            .outline(QColor(225, 140, 20), 3)};
    if (withFace)
        for (VectorShape &s : face(radius))
            shapes.push_back(s);
    return shapes;
}

std::vector<VectorShape> moon(double radius)
{
    VectorShape crescent = VectorShape::path(polar(radius, -110));
    crescent.quadTo(polar(radius * 2.1, 10), polar(radius, 130));
    crescent.quadTo(polar(radius * 0.9, 10), polar(radius, -110));
    crescent.close().fill(QColor(255, 245, 180)).outline(QColor(220, 190, 90), 3);
    return {crescent};
}

std::vector<VectorShape> cloud(double w, const QColor &colour)
{
    const double h = w * 0.5;
    VectorShape c = VectorShape::path(QPointF(-w / 2, h / 4));
    c.quadTo(QPointF(-w * 0.62, -h * 0.2), QPointF(-w * 0.3, -h * 0.15));
    c.quadTo(QPointF(-w * 0.25, -h * 0.75), QPointF(0.02 * w, -h * 0.45));
    c.quadTo(QPointF(w * 0.3, -h * 0.85), QPointF(w * 0.32, -h * 0.1));
    c.quadTo(QPointF(w * 0.62, -h * 0.1), QPointF(w / 2, h / 4));
    c.close();
    c.linear(colour, colour.darker(112), QPointF(0, -h * 0.6), QPointF(0, h / 4)).outline(QColor(120, 140, 170), 3);
    return {c};
}

VectorShape star(QPointF centre, double outer, double inner, int points, const QColor &colour)
{
    std::vector<QPointF> pts;
    for (int i = 0; i < points * 2; ++i)
        pts.push_back(centre + polar(i % 2 ? inner : outer, -90.0 + i * 180.0 / points));
    return VectorShape::polygon(pts).fill(colour).outline(colour.darker(130), 2);
}

std::vector<VectorShape> face(double r)
{
    const QColor ink = kInk;
    VectorShape smile = VectorShape::path(QPointF(-r * 0.4, r * 0.2));
    smile.quadTo(QPointF(0, r * 0.65), QPointF(r * 0.4, r * 0.2));
    smile.outline(ink, std::max(2.0, r * 0.08));
    return {VectorShape::ellipse(QPointF(-r * 0.33, -r * 0.15), r * 0.09, r * 0.13).fill(ink).noOutline(),
            VectorShape::ellipse(QPointF(r * 0.33, -r * 0.15), r * 0.09, r * 0.13).fill(ink).noOutline(),
            smile};
}

VectorShape petals(double radius, double open, const QColor &colour)
{
    // Each petal runs out from the heart to its tip and back. The closed
    // bud puts every point, tips and hearts alike, on one upright drop at
    // the same angle, so the bud opens into the flower edge for edge.
    auto place = [&](double r, double degrees) {
        const double a = degrees * M_PI / 180.0;
        const double up = std::max(0.0, -std::sin(a));
        const QPointF bud(radius * 0.42 * std::cos(a) * (1.0 - 0.5 * up * up),
                          radius * (0.5 * std::sin(a) - 0.45 * up * up * up) + radius * 0.2);
        return bud + (polar(r, degrees) - bud) * open;
    };
    const double inner = radius * 0.3;
    VectorShape s = VectorShape::path(place(inner, -90));
    for (int i = 0; i < 5; ++i) {
        const double a = -90.0 + i * 72.0;
        s.quadTo(place(radius * 1.05, a + 4), place(radius, a + 36));
        s.quadTo(place(radius * 1.05, a + 68), place(inner, a + 72));
    }
    s.close();
    return s.radial(colour.lighter(135), colour, QPointF(0, 0), radius).outline(colour.darker(160), 3);
}

} // namespace Scenery
