#include "character/LineStyle.h"

#include "render/CoverageFill.h"
#include "character/Interpolation.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <cmath>

namespace swf {

namespace {

constexpr double kWidestPen = 16384;      // device pixels

} // namespace

void LineStyle::stroke(QPainter &painter, const QPainterPath &path, const ColorTransform &cxform,
                       double deviceScale) const
{
    double opacity = 1.0;
    QBrush brush = hasFill ? fill.brush(cxform, &opacity) : QBrush(cxform.apply(color));
    if (brush.style() == Qt::NoBrush || opacity <= 0.0)
        return;

    QPen pen(brush, width);
    // Qt has one cap style per pen; the start cap is the one files set.
    pen.setCapStyle(startCap);
    pen.setJoinStyle(join);
    pen.setMiterLimit(miterLimit);

    const QTransform world = painter.transform();
    const double scaleX = std::hypot(world.m11(), world.m12());   // device pixels per twip
    const double scaleY = std::hypot(world.m21(), world.m22());
    const bool axisAligned = world.m12() == 0 && world.m21() == 0 && scaleX > 0 && scaleY > 0;
    // Strokes that do not scale on one axis keep 1/20 pixel per twip there.
    // On an unrotated shape the path is stretched so that the pen scales on
    // the other axis only; otherwise the stroke is made even.
    QTransform stretch;
    bool stretched = false;
    double devicePixels = width * deviceScale;
    const bool followsMatrix = noHScale && noVScale && !axisAligned;
    if (followsMatrix) {
        // Under a rotation or a skew the stroke keeps its width in pixels
        // across its thinnest direction only: it is made in the shape's
        // twips, at the width that the matrix's smallest stretch brings to
        // width / 20 pixels, and follows the matrix like any stroke, so the
        // outline of a squeezed shape is thicker where it is stretched.
        devicePixels = width / 20.0;
        const double sum = world.m11() * world.m11() + world.m12() * world.m12()
                         + world.m21() * world.m21() + world.m22() * world.m22();
        const double det = world.m11() * world.m22() - world.m12() * world.m21();
        const double smallest = std::sqrt(std::max(0.0, (sum - std::sqrt(std::max(0.0, sum * sum - 4 * det * det))) / 2));
        if (smallest > 0 && std::isfinite(smallest))
            pen.setWidthF(devicePixels / smallest);
        else
            devicePixels = 0;    // squeezed flat: a hairline
    } else if (noHScale && noVScale) {
        devicePixels = width / 20.0;
    } else if (noHScale || noVScale) {
        stretched = axisAligned;
        if (stretched)
            stretch = noVScale ? QTransform::fromScale(1, 20 * scaleY) : QTransform::fromScale(20 * scaleX, 1);
        devicePixels = width * (noVScale ? scaleX : scaleY);
    }
    if (devicePixels > kWidestPen) {
        // A pen wider than any screen (a zoom past all sense) still covers
        // the screen wherever its line passes near it; drawn at its full
        // width, its joins and caps alone would take Qt's stroker seconds.
        pen.setWidthF(pen.widthF() * kWidestPen / devicePixels);
        devicePixels = kWidestPen;
    }
    if (devicePixels < 1.0) {
        // Hairlines: width 0 and strokes scaled below a pixel.
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
        stretched = false;
    } else if ((noHScale || noVScale) && !followsMatrix && !stretched) {
        pen.setCosmetic(true);
        pen.setWidthF(devicePixels);
    } else if (stretched && brush.style() != Qt::SolidPattern) {
        brush.setTransform(brush.transform() * stretch);
        pen.setBrush(brush);
    }

    const double oldOpacity = painter.opacity();
    if (opacity < 1.0)
        painter.setOpacity(oldOpacity * opacity);
    if (!stretched) {
        // Strokes two pixels wide or more are covered like fills; thinner
        // ones keep Qt's lines, which stay solid across at least a pixel.
        bool sampled = false;
        if (painter.testRenderHint(QPainter::Antialiasing) && !pen.isCosmetic() && devicePixels >= 2.0) {
            const QPainterPath outline = QPainterPathStroker(pen).createStroke(path);
            sampled = brush.style() == Qt::SolidPattern
                ? CoverageFill::fill(painter, outline, world, brush.color())
                : CoverageFill::fill(painter, outline, world, [&brush](QPainter &p, const QRectF &area) {
                      p.fillRect(area, brush);
                  });
        }
        if (!sampled)
            painter.strokePath(path, pen);
    } else {
        painter.setTransform(stretch.inverted() * world);
        painter.strokePath(stretch.map(path), pen);
        painter.setTransform(world);
    }
    if (opacity < 1.0)
        painter.setOpacity(oldOpacity);
}

LineStyle LineStyle::interpolated(const LineStyle &from, const LineStyle &to, double t)
{
    using interpolation::mix;
    LineStyle out = from;
    out.width = mix(from.width, to.width, t);
    out.color = mix(from.color, to.color, t);
    if (from.hasFill && to.hasFill)
        out.fill = FillStyle::interpolated(from.fill, to.fill, t);
    return out;
}

} // namespace swf
