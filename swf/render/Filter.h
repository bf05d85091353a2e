#pragma once

#include "Records.h"

#include <QColor>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

namespace swf {

class BitReader;

// One bitmap filter of a placed object (SWF 8). Sizes are in stage pixels.
struct Filter
{
    enum class Type { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel };
    Type type = Type::Blur;
    QColor color;                    // shadow or glow; a bevel's highlight
    QColor shadow;                   // a bevel's shadow
    double blurX = 0, blurY = 0;
    double angle = 0;                // radians
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool hideObject = false;         // the object itself left out of the result
    bool onTop = false;              // bevels: drawn over the whole object ("full")
    int passes = 1;
    std::array<float, 20> matrix{};  // colour matrix, rows R G B A, offsets in 0..255

    // Gradient glow and bevel: the ramp the filter's strength indexes.
    std::vector<QColor> gradientColors;
    std::vector<int> gradientRatios; // 0..255, one per colour

    // Convolution: `kernel` holds kernelWidth * kernelHeight factors, row by row.
    int kernelWidth = 0, kernelHeight = 0;
    std::vector<float> kernel;
    float divisor = 1, bias = 0;
    QColor edgeColor;                // what lies outside the picture, unless clamped
    bool clampEdges = true;
    bool preserveAlpha = false;

    // The filters of a PlaceObject3 or a button record.
    static std::vector<Filter> readList(BitReader &r);

    // How far (in pixels, at `scale` device pixels per stage pixel) the
    // filter may draw outside what it filters.
    double reach(double scale) const;
    // Applies the filter to a premultiplied image in place; `scale` is the
    // device pixels per stage pixel.
    void apply(QImage &image, double scale) const;

    // Players give a filtered object its colour transform after the
    // filters, so a glow takes the object's tint: `cx` applied to every
    // pixel of the premultiplied `image`.
    static void transformColors(QImage &image, const ColorTransform &cx);

    // The width in pixels of one box pass for a blur of `size` device
    // pixels: players centre the window on a pixel, so it is odd.
    static int boxWidth(double size);
};

using FilterList = std::shared_ptr<const std::vector<Filter>>;

} // namespace swf
