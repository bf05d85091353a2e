#pragma once

#include "Records.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QVector>
#include <array>

class QPainter;

namespace swf {

// The gradient of a fill. Its geometry is the gradient square, -16384 to
// 16384 twips on both axes, placed in the shape by `matrix`: a linear
// gradient runs along x across the square, a radial one fills the circle
// inscribed in it, a focal one moves its centre along x by `focal` (-1..1).
struct Gradient
{
    enum class Kind { Linear, Radial, Focal };
    enum class Spread { Pad, Reflect, Repeat };
    struct Stop
    {
        double ratio = 0;            // 0..1 (the file's 0..255)
        QColor color;
    };

    Kind kind = Kind::Linear;
    Spread spread = Spread::Pad;
    bool linearRgb = false;          // interpolate in linear light, not in sRGB
    double focal = 0;
    Matrix matrix;
    QVector<Stop> stops;

    // The colour at each ratio 0..255, straight (not premultiplied) ARGB,
    // with `cxform` applied to the stops.
    using Ramp = std::array<QRgb, 256>;
    Ramp ramp(const ColorTransform &cxform) const;

    // The gradient's own pixels over `area` (device pixels) of a device
    // onto which `shapeToDevice` maps the shape's twips, premultiplied.
    // Each pixel takes the colour at its centre.
    QImage image(const QTransform &shapeToDevice, const QRect &area, const ColorTransform &cxform) const;

    // Whether every device row has one colour: a linear gradient running
    // down the device onto which `shapeToDevice` maps the shape's twips.
    bool rowsOfOneColour(const QTransform &shapeToDevice) const;

    // image() over at least `pixels` (inside `reach`), taken from the
    // pictures drawn lately when one holds them; `origin` gets the device
    // position of the picture's top-left pixel. A linear gradient running
    // down the device has one colour per row, and a picture one pixel wide.
    QImage picture(const ColorTransform &cxform, const QTransform &shapeToDevice, const QRect &pixels,
                   const QRect &reach, QPoint *origin) const;

    // A brush that lays image() one to one on the pixels of `painter`'s
    // device, over the part of `area` (the shape's twips; null for all of
    // the device) inside the device and its clip. The painter's transform
    // maps the shape's twips.
    QBrush brush(const ColorTransform &cxform, const QPainter &painter, const QRectF &area = QRectF()) const;

    // A brush for a painter whose transform maps the shape's twips, drawn
    // by Qt: close to image() but not exact.
    QBrush brush(const ColorTransform &cxform) const;

    // Morph shapes pair their start and end stops one by one.
    static Gradient interpolated(const Gradient &from, const Gradient &to, double t);
};

} // namespace swf
