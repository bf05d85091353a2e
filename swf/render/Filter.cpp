#include "render/Filter.h"

#include "decode/BitReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace swf {

namespace {

// Players refuse more: the authoring tool offers blurs up to 255 pixels
// and 15 passes, and a bigger kernel or blur would only cost time.
constexpr double MaxBlur = 255;
constexpr int MaxPasses = 15;
constexpr int MaxKernelSide = 15;
constexpr double MaxReach = 4096;
// Convolution costs one multiply per tap and pixel; beyond this many the
// filter is left out rather than stall the frame.
constexpr double MaxConvolutionWork = 64e6;

int mul255(int a, int b) { return (a * b + 127) / 255; }

// A colour matrix or a kernel comes from the file as raw floats: NaN and
// infinities must end as a channel value, never reach an int conversion.
int clamp255(double v) { return !(v > 0) ? 0 : (v > 255 ? 255 : int(v + 0.5)); }

// One 8-bit channel of the filtered area. `edge` is what lies outside it:
// 0 for an object's alpha, 255 for the inverted alpha of inner effects,
// which treat everything beyond the picture as outside the object.
struct Plane
{
    int width = 0, height = 0;
    std::uint8_t edge = 0;
    std::vector<std::uint8_t> v;

    Plane(int w, int h, std::uint8_t e) : width(w), height(h), edge(e), v(std::size_t(w) * std::size_t(h), e) {}
    std::uint8_t at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? edge : v[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    std::uint8_t &operator()(int x, int y) { return v[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

Plane channel(const QImage &image, int shift, bool inverted = false)
{
    Plane p(image.width(), image.height(), inverted ? 255 : 0);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int c = (in[x] >> shift) & 0xff;
            p(x, y) = std::uint8_t(inverted ? 255 - c : c);
        }
    }
    return p;
}

// One box pass of odd `width`, centred on each pixel, along rows or
// columns; averages are rounded, so repeated passes do not darken.
void boxPass(Plane &p, int width, bool horizontal)
{
    if (width < 2)
        return;
    const int radius = width / 2;
    const int lines = horizontal ? p.height : p.width;
    const int length = horizontal ? p.width : p.height;
    const std::size_t step = horizontal ? 1 : std::size_t(p.width);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        std::uint8_t *first = horizontal ? &p.v[std::size_t(l) * std::size_t(p.width)] : &p.v[std::size_t(l)];
        for (int i = 0; i < length; ++i)
            line[std::size_t(i)] = first[std::size_t(i) * step];
        auto value = [&](int i) -> int { return i < 0 || i >= length ? p.edge : line[std::size_t(i)]; };
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += value(i);
        for (int i = 0; i < length; ++i) {
            first[std::size_t(i) * step] = std::uint8_t((sum + width / 2) / width);
            sum += value(i + radius + 1) - value(i - radius);
        }
    }
}

void blur(Plane &p, int widthX, int widthY, int passes)
{
    for (int i = 0; i < passes; ++i) {
        boxPass(p, widthX, true);
        boxPass(p, widthY, false);
    }
}

// The plane moved by (dx, dy) pixels; a fraction of a pixel blends the
// two neighbours.
Plane shifted(const Plane &p, double dx, double dy)
{
    if (dx == 0 && dy == 0)
        return p;
    Plane out(p.width, p.height, p.edge);
    const double fx = std::floor(dx), fy = std::floor(dy);
    // Offsets beyond the plane leave only the edge value.
    if (std::abs(fx) > p.width + 1 || std::abs(fy) > p.height + 1)
        return out;
    const int ix = int(fx), iy = int(fy);
    const int wx = int(std::lround((dx - fx) * 256)), wy = int(std::lround((dy - fy) * 256));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int sx = x - ix, sy = y - iy;
            const int top = p.at(sx, sy) * (256 - wx) + p.at(sx - 1, sy) * wx;
            const int bottom = p.at(sx, sy - 1) * (256 - wx) + p.at(sx - 1, sy - 1) * wx;
            out(x, y) = std::uint8_t((top * (256 - wy) + bottom * wy + 32768) >> 16);
        }
    return out;
}

QRgb premultiplied(const QColor &c, int amount)
{
    const int a = mul255(c.alpha(), amount);
    return qRgba(mul255(c.red(), a), mul255(c.green(), a), mul255(c.blue(), a), a);
}

// 256 premultiplied colours along the filter's gradient; before the first
// ratio and after the last the end colours hold.
std::array<QRgb, 256> gradientTable(const std::vector<QColor> &colors, const std::vector<int> &ratios)
{
    std::array<QRgb, 256> table{};
    if (colors.empty())
        return table;
    for (int i = 0; i < 256; ++i) {
        std::size_t next = 0;
        while (next < colors.size() && ratios[next] < i)
            ++next;
        QColor c;
        if (next == 0)
            c = colors.front();
        else if (next == colors.size())
            c = colors.back();
        else {
            const int r0 = ratios[next - 1], r1 = ratios[next];
            const double t = r1 > r0 ? double(i - r0) / (r1 - r0) : 1.0;
            const QColor &a = colors[next - 1], &b = colors[next];
            c = QColor(int(std::lround(a.red() + (b.red() - a.red()) * t)),
                       int(std::lround(a.green() + (b.green() - a.green()) * t)),
                       int(std::lround(a.blue() + (b.blue() - a.blue()) * t)),
                       int(std::lround(a.alpha() + (b.alpha() - a.alpha()) * t)));
        }
        table[std::size_t(i)] = premultiplied(c, 255);
    }
    return table;
}

// `effect` (premultiplied) joined with the object's own pixel `source`.
QRgb compose(QRgb source, QRgb effect, const Filter &f)
{
    const int sa = qAlpha(source), ea = qAlpha(effect);
    auto scaled = [](QRgb p, int k) {
        return qRgba(mul255(qRed(p), k), mul255(qGreen(p), k), mul255(qBlue(p), k), mul255(qAlpha(p), k));
    };
    auto sum = [](QRgb a, QRgb b) {
        return qRgba(std::min(255, qRed(a) + qRed(b)), std::min(255, qGreen(a) + qGreen(b)),
                     std::min(255, qBlue(a) + qBlue(b)), std::min(255, qAlpha(a) + qAlpha(b)));
    };
    const bool alone = f.knockout || f.hideObject;
    if (f.onTop)
        return alone ? effect : sum(effect, scaled(source, 255 - ea));
    if (f.inner) {
        // Seen only where the object is; on top of it.
        const QRgb inside = scaled(effect, sa);
        return alone ? inside : sum(inside, scaled(source, 255 - ea));
    }
    if (f.knockout)
        return scaled(effect, 255 - sa);
    if (f.hideObject)
        return effect;
    return sum(source, scaled(effect, 255 - sa));
}

void blurImage(QImage &image, int widthX, int widthY, int passes)
{
    if ((widthX < 2 && widthY < 2) || passes == 0)
        return;
    Plane planes[4] = {channel(image, 24), channel(image, 16), channel(image, 8), channel(image, 0)};
    for (Plane &p : planes)
        blur(p, widthX, widthY, passes);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Rounding may leave a colour a step above its alpha.
            const int a = planes[0](x, y);
            out[x] = qRgba(std::min<int>(planes[1](x, y), a), std::min<int>(planes[2](x, y), a),
                           std::min<int>(planes[3](x, y), a), a);
        }
    }
}

void colorMatrix(QImage &image, const std::array<float, 20> &m)
{
    for (int y = 0; y < image.height(); ++y) {
        QRgb *p = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(qUnpremultiply(p[x]));
            const double in[4] = {double(c.red()), double(c.green()), double(c.blue()), double(c.alpha())};
            int out[4];
            for (int row = 0; row < 4; ++row) {
                const float *k = m.data() + row * 5;
                out[row] = clamp255(k[0] * in[0] + k[1] * in[1] + k[2] * in[2] + k[3] * in[3] + k[4]);
            }
            p[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

void convolve(QImage &image, const Filter &f)
{
    const int kw = f.kernelWidth, kh = f.kernelHeight;
    if (kw < 1 || kh < 1 || std::size_t(kw) * std::size_t(kh) != f.kernel.size())
        return;
    if (double(image.width()) * image.height() * kw * kh > MaxConvolutionWork)
        return;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb edge = f.edgeColor.rgba();
    const double divisor = f.divisor != 0 ? f.divisor : 1;
    const int w = source.width(), h = source.height();
    auto pixel = [&](int x, int y) -> QRgb {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            if (!f.clampEdges)
                return edge;
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
        }
        return reinterpret_cast<const QRgb *>(source.constScanLine(y))[x];
    };
    for (int y = 0; y < h; ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < kh; ++j)
                for (int i = 0; i < kw; ++i) {
                    const float k = f.kernel[std::size_t(j) * std::size_t(kw) + std::size_t(i)];
                    if (k == 0)
                        continue;
                    const QRgb p = pixel(x + i - kw / 2, y + j - kh / 2);
                    sum[0] += k * qRed(p);
                    sum[1] += k * qGreen(p);
                    sum[2] += k * qBlue(p);
                    sum[3] += k * qAlpha(p);
                }
            const int alpha = f.preserveAlpha ? qAlpha(pixel(x, y)) : clamp255(sum[3] / divisor + f.bias);
            out[x] = qPremultiply(qRgba(clamp255(sum[0] / divisor + f.bias), clamp255(sum[1] / divisor + f.bias),
                                        clamp255(sum[2] / divisor + f.bias), alpha));
        }
    }
}

int strengthened(int v, double strength)
{
    return std::clamp(int(v * strength + 0.5), 0, 255);
}

} // namespace

void Filter::transformColors(QImage &image, const ColorTransform &cx)
{
    if (cx.isIdentity())
        return;
    auto channel = [](int v, int mult, int add) { return std::clamp(v * mult / 256 + add, 0, 255); };
    for (int y = 0; y < image.height(); ++y) {
        QRgb *p = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = qUnpremultiply(p[x]);
            p[x] = qPremultiply(qRgba(channel(qRed(c), cx.rMult, cx.rAdd), channel(qGreen(c), cx.gMult, cx.gAdd),
                                      channel(qBlue(c), cx.bMult, cx.bAdd), channel(qAlpha(c), cx.aMult, cx.aAdd)));
        }
    }
}

int Filter::boxWidth(double size)
{
    if (!(size > 1))
        return 1;
    const int n = int(std::lround(std::min(size, MaxBlur)));
    return n % 2 ? n : n - 1;
}

std::vector<Filter> Filter::readList(BitReader &r)
{
    std::vector<Filter> out;
    const int count = r.u8();
    for (int i = 0; i < count; ++i) {
        Filter f;
        const int id = r.u8();
        if (id > 7)
            throw DecodeError("unknown filter");
        f.type = Type(id);
        int flags = 0;
        switch (id) {
        case 0: case 2: case 3: // drop shadow, glow, bevel
            f.color = r.rgba();
            // A bevel's colours come highlight first: that is how players
            // draw the files, whatever the field names say.
            if (id == 3)
                f.shadow = r.rgba();
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            if (id != 2) {
                f.angle = r.fixed16();
                f.distance = r.fixed16();
            }
            f.strength = r.fixed8();
            flags = r.u8();
            f.passes = id == 3 ? (flags & 0x0f) : (flags & 0x1f);
            f.onTop = id == 3 && (flags & 0x10);
            break;
        case 1:
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.passes = r.u8() >> 3;
            break;
        case 4: case 7: { // gradient glow, gradient bevel
            const int colours = r.u8();
            for (int c = 0; c < colours; ++c)
                f.gradientColors.push_back(r.rgba());
            for (int c = 0; c < colours; ++c)
                f.gradientRatios.push_back(r.u8());
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            flags = r.u8();
            f.passes = flags & 0x0f;
            f.onTop = flags & 0x10;
            break;
        }
        case 5: {
            f.kernelWidth = r.u8();
            f.kernelHeight = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            for (int k = 0; k < f.kernelWidth * f.kernelHeight; ++k)
                f.kernel.push_back(r.f32());
            f.edgeColor = r.rgba();
            const int bits = r.u8();
            f.clampEdges = bits & 0x02;
            f.preserveAlpha = bits & 0x01;
            break;
        }
        case 6:
            for (float &k : f.matrix)
                k = r.f32();
            break;
        }
        if (id != 1 && id != 5 && id != 6) {
            f.inner = flags & 0x80;
            f.knockout = flags & 0x40;
            f.hideObject = !(flags & 0x20);
        }
        f.blurX = std::clamp(f.blurX, 0.0, MaxBlur);
        f.blurY = std::clamp(f.blurY, 0.0, MaxBlur);
        f.passes = std::clamp(f.passes, 0, MaxPasses);
        out.push_back(std::move(f));
    }
    return out;
}

double Filter::reach(double scale) const
{
    switch (type) {
    case Type::ColorMatrix:
        return 0;
    case Type::Convolution:
        return std::max(kernelWidth, kernelHeight) / 2 + 1;
    default:
        break;
    }
    const int radius = std::max(boxWidth(blurX * scale), boxWidth(blurY * scale)) / 2;
    const double spread = double(radius) * std::clamp(passes, 0, MaxPasses) + std::abs(distance * scale) + 2;
    return std::isfinite(spread) ? std::min(spread, MaxReach) : MaxReach;
}

void Filter::apply(QImage &image, double scale) const
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int widthX = boxWidth(blurX * scale), widthY = boxWidth(blurY * scale);
    const int passes = std::clamp(this->passes, 0, MaxPasses);
    switch (type) {
    case Type::Blur:
        blurImage(image, widthX, widthY, passes);
        return;
    case Type::ColorMatrix:
        colorMatrix(image, matrix);
        return;
    case Type::Convolution:
        convolve(image, *this);
        return;
    default:
        break;
    }

    // Offsets beyond the picture move everything out of it.
    const double reachOut = image.width() + image.height() + 2;
    const double dx = std::clamp(std::cos(angle) * distance * scale, -reachOut, reachOut);
    const double dy = std::clamp(std::sin(angle) * distance * scale, -reachOut, reachOut);
    const bool gradient = type == Type::GradientGlow || type == Type::GradientBevel;
    const std::array<QRgb, 256> ramp = gradient ? gradientTable(gradientColors, gradientRatios)
                                                : std::array<QRgb, 256>{};
    const bool bevel = type == Type::Bevel || type == Type::GradientBevel;

    Plane alpha = channel(image, 24, inner && !bevel);
    blur(alpha, widthX, widthY, passes);
    // A bevel is the object's blurred alpha against itself moved both
    // ways: the shadow where it moved to along the angle, the highlight
    // on the opposite side.
    const Plane lit = bevel ? shifted(alpha, -dx, -dy) : Plane(0, 0, 0);
    const Plane plane = shifted(alpha, dx, dy);

    const QRgb solid = premultiplied(color, 255);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *p = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb effect;
            if (!bevel) {
                const int s = strengthened(plane.at(x, y), strength);
                effect = gradient ? ramp[std::size_t(s)]
                                  : qRgba(mul255(qRed(solid), s), mul255(qGreen(solid), s),
                                          mul255(qBlue(solid), s), mul255(qAlpha(solid), s));
            } else {
                const int difference = plane.at(x, y) - lit.at(x, y);
                if (gradient) {
                    // Highlights run down from the middle of the ramp,
                    // shadows up from it.
                    const int index = std::clamp(int(std::lround(128 + difference * strength / 2)), 0, 255);
                    effect = ramp[std::size_t(index)];
                } else if (difference >= 0) {
                    effect = premultiplied(shadow, strengthened(difference, strength));
                } else {
                    effect = premultiplied(color, strengthened(-difference, strength));
                }
            }
            p[x] = compose(p[x], effect, *this);
        }
    }
}

} // namespace swf
