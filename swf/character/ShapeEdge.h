#pragma once

#include <QPointF>

namespace swf {

// One edge of a shape with the styles in force when the file drew it.
// Points are absolute twips; style indices are 1-based into the style group
// `group`, 0 meaning none (as in the file).
struct ShapeEdge
{
    QPointF from;
    QPointF control;                 // for a curve only
    QPointF to;
    bool curve = false;
    int group = 0;
    int fill0 = 0;                   // the fill on the left of from -> to
    int fill1 = 0;                   // the fill on the right
    int line = 0;
};

} // namespace swf
