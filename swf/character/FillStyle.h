#pragma once

#include "render/Gradient.h"
#include "Records.h"

#include <QBrush>
#include <QColor>
#include <memory>

class QPainter;
class QPainterPath;

namespace swf {

class BitmapCharacter;

// How an area of a shape is filled: a colour, a gradient, or a bitmap placed
// by its matrix (twips per bitmap pixel, so 20 is one pixel per pixel).
struct FillStyle
{
    enum class Kind { Solid, Gradient, Bitmap };

    Kind kind = Kind::Solid;
    QColor color = Qt::black;
    Gradient gradient;
    std::shared_ptr<const BitmapCharacter> bitmap;  // null when the id named no bitmap
    Matrix bitmapMatrix;
    bool bitmapRepeat = true;
    bool bitmapSmooth = true;

    // Fills `path` (in the shape's twips; the painter's transform maps them).
    void fill(QPainter &painter, const QPainterPath &path, const ColorTransform &cxform) const;
    // The brush for a painter whose transform maps the shape's twips. A
    // colour transform that only scales alpha is returned in `opacity`
    // instead of being applied to a bitmap's pixels. Given the painter, a
    // gradient is drawn exactly onto its device (see Gradient::brush).
    QBrush brush(const ColorTransform &cxform, double *opacity = nullptr, const QPainter *painter = nullptr) const;

    static FillStyle interpolated(const FillStyle &from, const FillStyle &to, double t);
};

} // namespace swf
