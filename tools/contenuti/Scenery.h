#pragma once

#include "VectorShape.h"

#include <QColor>
#include <vector>

// Drawings that many stories share: skies, meadows, the sun, clouds,
// faces. Each returns shapes around its own origin, as a part wants them.
namespace Scenery {

inline const QColor kInk(58, 42, 38);          // the outline of everything

std::vector<VectorShape> sky(const QColor &top, const QColor &horizon, double height = 300);
// White over the whole stage, a little past its edges: the story fades
// through it from its last scene back to its first.
VectorShape veil();
// A band of ground from `top` to the bottom of the stage, with a grass edge.
std::vector<VectorShape> meadow(double top, const QColor &grass, const QColor &soil);
std::vector<VectorShape> sun(double radius, bool face = true);
std::vector<VectorShape> moon(double radius);
std::vector<VectorShape> cloud(double width, const QColor &colour = QColor(255, 255, 255));
VectorShape star(QPointF centre, double outer, double inner, int points, const QColor &colour);
// Eyes and a smile for a round face of `radius` around the origin.
std::vector<VectorShape> face(double radius);
// Five petals around the origin; `open` 0 is a closed bud, 1 a full flower.
VectorShape petals(double radius, double open, const QColor &colour);

} // namespace Scenery
