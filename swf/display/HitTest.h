#pragma once

#include "Character.h"

#include <QPointF>

namespace swf {

struct DisplayObject;
class Movie;

// Whether a point lies on what is drawn, for the pointer: shapes by their
// filled area (strokes left out, as in a mask), text and bitmaps by their
// bounds, sprites by what their objects cover.
namespace hittest {

// `object` placed by `toStage` (its own twips to the stage's) covers the
// stage point; masks, hidden objects and the mask-ness of its children
// are not looked at, as a mask's shape is the union of its children.
bool covers(const DisplayObject &object, const Matrix &toStage, const QPointF &stagePoint);

// A character of `movie`'s dictionary, not placed anywhere (a button's hit
// area): sprites by the objects of their first frame, `point` in the
// character's twips.
bool covers(const Movie &movie, const Character &character, const QPointF &point, int nesting = 0);

} // namespace hittest

} // namespace swf
