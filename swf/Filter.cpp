#include "Filter.h"

#include "BitReader.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// One box blur pass along rows (horizontal) or columns, window `size`
// pixels, on premultiplied pixels. Players blur with repeated box passes,
// not a Gaussian.
void boxPass(QImage &image, int size, bool horizontal)
{
    if (size < 2)
        return;
    const int w = image.width(), h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    const int before = size / 2, after = size - before - 1;
    std::vector<QRgb> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < length; ++i)
            line[std::size_t(i)] = horizontal ? reinterpret_cast<const QRgb *>(image.constScanLine(l))[i]
                                              : reinterpret_cast<const QRgb *>(image.constScanLine(i))[l];
        long sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const QRgb p = line[std::size_t(i)];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -before; i <= after; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            const QRgb out = qRgba(int(sum[1] / size), int(sum[2] / size), int(sum[3] / size),
                                   int(sum[0] / size));
            if (horizontal)
                reinterpret_cast<QRgb *>(image.scanLine(l))[i] = out;
            else
                reinterpret_cast<QRgb *>(image.scanLine(i))[l] = out;
            add(i - before, -1);
            add(i + after + 1, 1);
        }
    }
}

void blur(QImage &image, double bx, double by, int passes)
{
    for (int p = 0; p < passes; ++p) {
        boxPass(image, int(std::lround(bx)), true);
        boxPass(image, int(std::lround(by)), false);
    }
}

// The object's alpha (or, `inverted`, what lies outside it), times
// `strength`, in `color`.
QImage silhouette(const QImage &image, const QColor &color, double strength, bool inverted = false)
{
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    const int cr = color.red(), cg = color.green(), cb = color.blue(), ca = color.alpha();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QRgb *o = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int coverage = inverted ? 255 - qAlpha(in[x]) : qAlpha(in[x]);
            const int a = std::clamp(int(coverage * strength + 0.5), 0, 255) * ca / 255;
            o[x] = qRgba(cr * a / 255, cg * a / 255, cb * a / 255, a);
        }
    }
    return out;
}

// A colour matrix comes from the file as raw floats: NaN and infinities
// must end as a channel value, never reach an int conversion.
int clamp255(double v) { return !(v > 0) ? 0 : (v > 255 ? 255 : int(v + 0.5)); }

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

} // namespace

std::vector<Filter> Filter::readList(BitReader &r)
{
    std::vector<Filter> out;
    const int count = r.u8();
    for (int i = 0; i < count; ++i) {
        Filter f;
        const int id = r.u8();
        f.type = Type(id <= 7 ? id : 1);
        switch (id) {
        case 0: case 2: case 3: { // drop shadow, glow, bevel
            f.color = r.rgba();
            if (id == 3)
                r.rgba(); // highlight
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            if (id != 2) {
                f.angle = r.fixed16();
                f.distance = r.fixed16();
            }
            f.strength = r.fixed8();
            const int flags = r.u8();
            f.inner = flags & 0x80;
            f.knockout = flags & 0x40;
            f.passes = id == 3 ? (flags & 0x0f) : (flags & 0x1f);
            break;
        }
        case 1: // blur
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.passes = r.u8() >> 3;
            break;
        case 4: case 7: { // gradient glow / bevel: kept as a glow of their first colour
            const int colours = r.u8();
            for (int c = 0; c < colours; ++c) {
                const QColor colour = r.rgba();
                if (c == colours - 1)
                    f.color = colour;
            }
            r.skip(std::size_t(colours));
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            const int flags = r.u8();
            f.inner = flags & 0x80;
            f.knockout = flags & 0x40;
            f.passes = flags & 0x0f;
            break;
        }
        case 5: { // convolution: read, not applied
            const int x = r.u8(), y = r.u8();
            r.skip(8 + std::size_t(x) * y * 4 + 5);
            break;
        }
        case 6:
            for (float &k : f.matrix)
                k = r.f32();
            break;
        default:
            throw DecodeError("unknown filter");
        }
        // Quality 0 draws nothing extra; more than 3 passes look the same.
        f.passes = std::clamp(f.passes, 0, 3);
        out.push_back(f);
    }
    return out;
}

double Filter::reach(double scale) const
{
    switch (type) {
    case Type::Blur: case Type::DropShadow: case Type::Glow: case Type::GradientGlow:
        return (std::max(blurX, blurY) * passes + std::abs(distance)) * scale + 2;
    default:
        return 0;
    }
}

void Filter::apply(QImage &image, double scale) const
{
    const double bx = std::min(blurX * scale, 255.0), by = std::min(blurY * scale, 255.0);
    switch (type) {
    case Type::Blur:
        blur(image, bx, by, passes);
        break;
    case Type::ColorMatrix:
        colorMatrix(image, matrix);
        break;
    case Type::DropShadow: case Type::Glow: case Type::GradientGlow: {
        // An inner shadow is the shadow of everything around the object,
        // seen only where the object is.
        QImage shadow = silhouette(image, color, strength, inner);
        blur(shadow, bx, by, passes);
        const QPointF offset(std::cos(angle) * distance * scale, std::sin(angle) * distance * scale);
        QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        if (inner) {
            if (!knockout)
                p.drawImage(0, 0, image);
            else
                p.fillRect(out.rect(), Qt::transparent);
            p.setCompositionMode(knockout ? QPainter::CompositionMode_SourceOver
                                          : QPainter::CompositionMode_SourceAtop);
            p.drawImage(offset, shadow);
            if (knockout) {
                p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
                p.drawImage(0, 0, image);
            }
            p.end();
            image = out;
            break;
        }
        p.drawImage(offset, shadow);
        if (knockout) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.drawImage(0, 0, image);
        } else {
            p.drawImage(0, 0, image);
        }
        p.end();
        image = out;
        break;
    }
    default:
        break;
    }
}

} // namespace swf
