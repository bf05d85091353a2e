#pragma once

#include "Character.h"

#include <cstdint>

namespace swf {

class ShapeDrawing;

// Shapes drawn again and again under the same scale and rotation (a still
// part of a scene, or one that only slides) are kept as premultiplied
// pictures and blitted at whole pixels, since rasterising their outlines is
// most of a frame's cost. The pictures are keyed by the linear part of the
// device matrix, the colours they were drawn with and the translation's
// phase within a pixel (in quarters), so a slide shifts them by at most an
// eighth of a pixel. Colour transforms are applied as the pictures are
// blitted where that gives the same pixels: a fade keeps one picture per
// fill and stroke, blitted at the fade's opacity, and a tint that keeps the
// channels within their range is applied to a picture drawn without it
// (and kept tinted once it holds). A key is drawn into the cache when its
// owner held still before it or only slid; while an owner's geometry keeps
// changing (a tween's steps, a morph between ratios) a key must be seen
// twice, so one-off transforms are drawn directly. All movies share one
// memory budget, least recently used pictures going first. Pictures are
// drawn at the device's own pixels, also on an image of a higher density
// (a device pixel ratio of 2, 1.25, ...). Drawing without anti-aliasing, or
// on another kind of device whose pixels are not the painter's, goes around
// the cache.
namespace rastercache {

// Draws `drawing`, which belongs to `owner` (`variant` tells its versions
// apart, such as a morph's ratios), through the cache when it can.
void draw(const ShapeDrawing &drawing, const RenderContext &context, const void *owner,
          double variant = 0.0);
// Drops the pictures of an owner that goes away.
void forget(const void *owner);

struct Stats
{
    std::int64_t hits = 0;           // draws that were blits
    std::int64_t stored = 0;         // pictures drawn into the cache
    std::int64_t bytes = 0;          // memory the pictures take now
};
Stats stats();
// On by default; off draws every shape directly (and empties the cache).
void setEnabled(bool on);
void setBudget(std::int64_t bytes);

} // namespace rastercache

} // namespace swf
