#pragma once

#include "Records.h"

#include <QImage>
#include <QPoint>
#include <QRect>

class QPainter;

namespace swf {

// What a colour transform does to premultiplied pixels of pictures drawn
// without it, for transforms that keep every channel within its range
// (so that no fill or stroke would have been clipped on its own): the
// colour multiplied, and the addition scaled by the pixel's alpha. Fully
// covered opaque pixels come out exactly as drawn with the transformed
// colours, by the transform's own integer formula; the others within
// rounding. Alpha is left alone: the pictures this serves have no alpha
// transform, or get it as the blit's opacity.
//
// A picture can be tinted into another image, or tinted and composited
// onto a painter's image in one pass, giving the very bytes that tinting
// into an image and drawing that with the painter give.
class TintBlend
{
public:
    static bool keepsInRange(const ColorTransform &cx);

    explicit TintBlend(const ColorTransform &cx);

    // `image` tinted into `out`, at its top left; `out` is made big enough.
    void apply(const QImage &image, QImage &out) const { apply(image, image.rect(), out); }
    // The part `from` of `image` (which must hold it) tinted into `out`,
    // at its top left.
    void apply(const QImage &image, const QRect &from, QImage &out) const;

    // `image` (premultiplied ARGB32) tinted and drawn with its top left at
    // device pixel `at`, as drawImage() draws it with the painter's
    // opacity, when the painter works on a premultiplied ARGB32 image of
    // its own pixels, composites SourceOver with no world transform, and
    // clips to at most one rectangle. False, with nothing drawn, when it
    // does not.
    bool blit(QPainter &painter, const QPoint &at, const QImage &image) const;

private:
    QRgb pixel(QRgb p) const;
    void blendRow(const QRgb *s, QRgb *d, int width, int constAlpha) const;

    int m_mult[3], m_add[3];         // blue, green, red
    bool m_adds = false;
};

} // namespace swf
