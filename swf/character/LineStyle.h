#pragma once

#include "character/FillStyle.h"

#include <Qt>

class QPainter;
class QPainterPath;

namespace swf {

// How the edges of a shape are stroked. The first line styles only have a
// width and a colour and are drawn with round caps and joins; the later
// ones add caps, joins, scaling flags and a fill for the stroke.
struct LineStyle
{
    double width = 20;               // twips
    QColor color = Qt::black;
    Qt::PenCapStyle startCap = Qt::RoundCap;
    Qt::PenCapStyle endCap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 3;           // in widths of the stroke
    bool noHScale = false;
    bool noVScale = false;
    bool hasFill = false;
    FillStyle fill;

    // Strokes `path` (in the shape's twips; the painter's transform maps
    // them). `deviceScale` is how many device pixels one twip is, for the
    // strokes that must stay at least one pixel wide.
    void stroke(QPainter &painter, const QPainterPath &path, const ColorTransform &cxform,
                double deviceScale) const;

    static LineStyle interpolated(const LineStyle &from, const LineStyle &to, double t);
};

} // namespace swf
