#pragma once

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
    QColor color;
    double blurX = 0, blurY = 0;
    double angle = 0;                // radians
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    int passes = 1;
    std::array<float, 20> matrix{};  // colour matrix, rows R G B A, offsets in 0..255

    // The filters of a PlaceObject3 or a button record.
    static std::vector<Filter> readList(BitReader &r);

    // How far (in pixels, at `scale` device pixels per stage pixel) the
    // filter may draw outside what it filters.
    double reach(double scale) const;
    // Applies the filter to a premultiplied image in place; `scale` is the
    // device pixels per stage pixel.
    void apply(QImage &image, double scale) const;
};

using FilterList = std::shared_ptr<const std::vector<Filter>>;

} // namespace swf
