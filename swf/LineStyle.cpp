#include "LineStyle.h"

#include "Interpolation.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace swf {

void LineStyle::stroke(QPainter &painter, const QPainterPath &path, const ColorTransform &cxform,
                       double deviceScale) const
{
    double opacity = 1.0;
    const QBrush brush = hasFill ? fill.brush(cxform, &opacity) : QBrush(cxform.apply(color));
    if (brush.style() == Qt::NoBrush || opacity <= 0.0)
        return;

    QPen pen(brush, width);
    // Qt has one cap style per pen; the start cap is the one files set.
    pen.setCapStyle(startCap);
    pen.setJoinStyle(join);
    pen.setMiterLimit(miterLimit);
    const bool noScale = noHScale || noVScale;
    const double devicePixels = noScale ? width / 20.0 : width * deviceScale;
    if (devicePixels < 1.0) {
        // Hairlines: width 0 and strokes scaled below a pixel.
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    } else if (noScale) {
        pen.setCosmetic(true);
        pen.setWidthF(devicePixels);
    }
    const double oldOpacity = painter.opacity();
    if (opacity < 1.0)
        painter.setOpacity(oldOpacity * opacity);
    painter.strokePath(path, pen);
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
