#include "Gradient.h"

#include "Interpolation.h"

#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QRadialGradient>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

constexpr double kHalfSquare = 16384.0;
// A focal point on the circle's edge would leave no room for the ramp.
constexpr double kMaxFocal = 0.98;

double toLinear(double c)
{
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int fromLinear(double c)
{
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return std::clamp(int(std::lround(c * 255.0)), 0, 255);
}

QColor mixLinearLight(const QColor &a, const QColor &b, double t)
{
    auto lerp = [t](int x, int y) { return fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  int(std::lround(a.alpha() + (b.alpha() - a.alpha()) * t)));
}

// Square roots in place, two at a time where the processor has them; the
// same correctly rounded values as std::sqrt.
void squareRoots(double *v, int n)
{
    int i = 0;
#ifdef __SSE2__
    for (; i + 2 <= n; i += 2)
        _mm_storeu_pd(v + i, _mm_sqrt_pd(_mm_loadu_pd(v + i)));
#endif
    for (; i < n; ++i)
        v[i] = std::sqrt(v[i]);
}

// Looks colours up in the ramp as players do: its 256 entries stand at the
// centres of 256 equal steps of the gradient (not at ratio / 255) and the
// colour between two centres is blended from both, so the first and last
// half steps are flat. Positions beyond the ends follow the spread.
class RampLookup
{
public:
    RampLookup(const Gradient::Ramp &ramp, Gradient::Spread spread) : m_spread(spread)
    {
        for (int i = 0; i < 256; ++i) {
            m_opaque = m_opaque && qAlpha(ramp[i]) == 255;
            m_straight[i] = ramp[i];
        }
    }

    // `u`: 0 at the start of the gradient, 1 at its end.
    QRgb at(double u) const
    {
        switch (m_spread) {
        case Gradient::Spread::Pad:
            break;
        case Gradient::Spread::Repeat:
            u -= std::floor(u);
            break;
        case Gradient::Spread::Reflect:
            u = 1.0 - std::abs(u - 2.0 * std::floor(u / 2.0) - 1.0);
            break;
        }
        return entry(u);
    }

    // at() for `n` positions.
    void row(const double *u, QRgb *out, int n) const
    {
        if (m_spread != Gradient::Spread::Pad) {
            for (int x = 0; x < n; ++x)
                out[x] = at(u[x]);
            return;
        }
        if (!m_table.empty()) {
            const QRgb *table = m_table.data();
            for (int x = 0; x < n; ++x)
                out[x] = table[step(u[x])];
            return;
        }
        for (int x = 0; x < n; ++x)
            out[x] = entry(u[x]);
    }

    // For pictures much larger than the 65281 steps a position can take:
    // every step's colour worked out once.
    void tabulate()
    {
        m_table.resize(255 * 256 + 1);
        for (int i = 0; i <= 255 * 256; ++i)
            m_table[std::size_t(i)] = colourAt(i);
    }

private:
    // Where `u` falls: 256ths of the way from one entry's centre to the
    // next, 0 to 255 * 256.
    static int step(double u)
    {
        // Also sends NaN (a point at infinity) to the last entry.
        const double p = u * 256.0 - 0.5;
        return p >= 0.0 ? (p < 255.0 ? int(p * 256.0) : 255 * 256) : (p < 0.0 ? 0 : 255 * 256);
    }

    QRgb colourAt(int fixed) const
    {
        const int i = fixed >> 8, w = fixed & 0xff;
        const QRgb a = m_straight[i];
        if (w == 0)
            return m_opaque ? a : qPremultiply(a);
        const QRgb b = m_straight[i + 1];
        // Two channels at a time, 8 bits of weight, rounded.
        const quint32 rb = ((a & 0xff00ff) * quint32(256 - w) + (b & 0xff00ff) * quint32(w) + 0x800080) >> 8;
        const quint32 ag = (((a >> 8) & 0xff00ff) * quint32(256 - w) + ((b >> 8) & 0xff00ff) * quint32(w) + 0x800080) >> 8;
        const QRgb blended = (rb & 0xff00ff) | ((ag & 0xff00ff) << 8);
        return m_opaque ? blended : qPremultiply(blended);
    }

    // The colour at `u` once the spread has been applied.
    QRgb entry(double u) const { return colourAt(step(u)); }

    Gradient::Spread m_spread;
    bool m_opaque = true;
    std::array<QRgb, 256> m_straight;
    std::vector<QRgb> m_table;       // by step, when tabulated
};

// The last pictures made, for gradients drawn again at the same place on
// the device (a still background redrawn every frame): found by everything
// that decides their pixels.
class RecentPictures
{
public:
    struct Key
    {
        Gradient gradient;
        QTransform toDevice;
        QRect area;                  // device pixels; a key is found in a wider one
        ColorTransform cxform;

        // All but the area.
        bool sameGradient(const Key &o) const
        {
            const Gradient &a = gradient, &b = o.gradient;
            if (toDevice != o.toDevice || a.kind != b.kind || a.spread != b.spread
                || a.linearRgb != b.linearRgb || a.focal != b.focal || a.matrix != b.matrix
                || a.stops.size() != b.stops.size() || std::memcmp(&cxform, &o.cxform, sizeof cxform) != 0)
                return false;
            for (qsizetype i = 0; i < a.stops.size(); ++i) {
                if (a.stops[i].ratio != b.stops[i].ratio || a.stops[i].color != b.stops[i].color)
                    return false;
            }
            return true;
        }
    };

    // A picture over an area that holds `key`'s, and where it lies. When
    // there is none, `drawnElsewhere` tells whether the same gradient was
    // drawn over another area.
    QImage find(const Key &key, QPoint *origin, bool *drawnElsewhere)
    {
        std::lock_guard lock(m_mutex);
        *drawnElsewhere = false;
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (!key.sameGradient(it->first))
                continue;
            if (it->first.area.contains(key.area)) {
                m_entries.splice(m_entries.begin(), m_entries, it);
                *origin = m_entries.front().first.area.topLeft();
                return m_entries.front().second;
            }
            *drawnElsewhere = true;
        }
        return {};
    }

    void keep(const Key &key, const QImage &image)
    {
        std::lock_guard lock(m_mutex);
        m_entries.emplace_front(key, image);
        m_bytes += image.sizeInBytes();
        while (m_entries.size() > kMaxEntries || m_bytes > kMaxBytes) {
            m_bytes -= m_entries.back().second.sizeInBytes();
            m_entries.pop_back();
        }
    }

private:
    static constexpr std::size_t kMaxEntries = 16;
    static constexpr qsizetype kMaxBytes = 32 << 20;
    std::mutex m_mutex;
    std::list<std::pair<Key, QImage>> m_entries;
    qsizetype m_bytes = 0;
};

RecentPictures &recentPictures()
{
    static RecentPictures pictures;
    return pictures;
}

} // namespace

QImage Gradient::image(const QTransform &shapeToDevice, const QRect &area, const ColorTransform &cxform) const
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    const Ramp colours = ramp(cxform);
    RampLookup lookup(colours, spread);
    if (spread == Spread::Pad && qint64(area.width()) * area.height() > 2 * 65536)
        lookup.tabulate();
    bool invertible = false;
    // Device pixels back to the gradient square, scaled to -1..1.
    const QTransform back = (matrix * shapeToDevice).inverted(&invertible)
                          * QTransform::fromScale(1.0 / kHalfSquare, 1.0 / kHalfSquare);
    if (!invertible || shapeToDevice.type() == QTransform::TxProject) {
        // A gradient squeezed to nothing: every point is past its end.
        out.fill(qPremultiply(colours.back()));
        return out;
    }
    const double f = kind == Kind::Focal ? std::clamp(focal, -kMaxFocal, kMaxFocal) : 0.0;
    const double k = 1.0 - f * f;
    const int width = area.width();
    // Positions along the gradient, one row at a time, in passes the
    // compiler can keep in vector registers.
    std::vector<double> u(static_cast<std::size_t>(width)), w(static_cast<std::size_t>(width));
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        const double cy = area.y() + y + 0.5;
        const double cx = area.x() + 0.5;
        double gx = back.m11() * cx + back.m21() * cy + back.dx();
        double gy = back.m12() * cx + back.m22() * cy + back.dy();
        if (kind == Kind::Linear) {
            // Most linear gradients run along an axis of the device: then
            // every row is the first one again, or one colour throughout.
            if (y > 0 && back.m21() == 0.0) {
                std::memcpy(line, out.constScanLine(0), sizeof(QRgb) * std::size_t(width));
                continue;
            }
            if (back.m11() == 0.0) {
                std::fill(line, line + width, lookup.at((gx + 1.0) / 2.0));
                continue;
            }
            for (int x = 0; x < width; ++x, gx += back.m11())
                u[x] = (gx + 1.0) / 2.0;
        } else if (f == 0.0) {
            for (int x = 0; x < width; ++x, gx += back.m11(), gy += back.m12())
                u[x] = gx * gx + gy * gy;
            squareRoots(u.data(), width);
        } else {
            // The focal point F = (f, 0); a point P lies as far along as
            // |P - F| is along the ray from F through P to the circle's edge.
            for (int x = 0; x < width; ++x, gx += back.m11(), gy += back.m12()) {
                const double dx = gx - f;
                const double fd = f * dx;
                w[x] = fd;
                u[x] = fd * fd + (dx * dx + gy * gy) * k;
            }
            squareRoots(u.data(), width);
            for (int x = 0; x < width; ++x)
                u[x] = (w[x] + u[x]) / k;
        }
        lookup.row(u.data(), line, width);
    }
    return out;
}

QBrush Gradient::brush(const ColorTransform &cxform, const QPainter &painter, const QRectF &area) const
{
    if (stops.size() < 2)
        return brush(cxform);
    const QPaintDevice *device = painter.device();
    const QTransform toDevice = painter.combinedTransform();
    // The picture is laid pixel for pixel; where the device's pixels are
    // not the painter's, Qt's own gradient stands in.
    if (!device || device->devicePixelRatioF() != 1.0 || toDevice.type() == QTransform::TxProject)
        return brush(cxform);
    QRect reach(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        reach &= toDevice.mapRect(painter.clipBoundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1);
    QRect pixels = reach;
    if (!area.isNull())
        pixels &= toDevice.mapRect(area).toAlignedRect().adjusted(-1, -1, 1, 1);
    if (pixels.isEmpty())
        return QBrush(Qt::NoBrush);
    RecentPictures::Key key{*this, toDevice, pixels, cxform};
    QPoint origin;
    bool drawnElsewhere = false;
    QImage picture = recentPictures().find(key, &origin, &drawnElsewhere);
    if (picture.isNull()) {
        // A shape that grows or moves a little under a still gradient
        // finds a picture with some room around it again. Gradients that
        // change as they go (a morph's) would not use the room.
        const int margin = drawnElsewhere ? std::max({16, pixels.width() / 8, pixels.height() / 8}) : 0;
        key.area = pixels.adjusted(-margin, -margin, margin, margin) & reach;
        picture = image(toDevice, key.area, cxform);
        origin = key.area.topLeft();
        recentPictures().keep(key, picture);
    }
    QBrush out(picture);
    out.setTransform(QTransform::fromTranslate(origin.x(), origin.y()) * toDevice.inverted());
    return out;
}

QBrush Gradient::brush(const ColorTransform &cxform) const
{
    if (stops.isEmpty())
        return QBrush(cxform.apply(Qt::black));
    if (stops.size() == 1)
        return QBrush(cxform.apply(stops.first().color));
    const Ramp r = ramp(cxform);
    QGradientStops qstops;
    qstops.reserve(258);
    qstops.append({0.0, QColor::fromRgba(r.front())});
    for (int i = 0; i < 256; ++i)
        qstops.append({(i + 0.5) / 256, QColor::fromRgba(r[i])});
    qstops.append({1.0, QColor::fromRgba(r.back())});
    QGradient gradient;
    if (kind == Kind::Linear) {
        gradient = QLinearGradient(-kHalfSquare, 0, kHalfSquare, 0);
    } else {
        const double f = kind == Kind::Focal ? std::clamp(focal, -kMaxFocal, kMaxFocal) : 0.0;
        gradient = QRadialGradient(QPointF(0, 0), kHalfSquare, QPointF(f * kHalfSquare, 0));
    }
    gradient.setStops(qstops);
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    gradient.setSpread(spread == Spread::Reflect  ? QGradient::ReflectSpread
                       : spread == Spread::Repeat ? QGradient::RepeatSpread
                                                  : QGradient::PadSpread);
    QBrush brush(gradient);
    brush.setTransform(matrix);
    return brush;
}

namespace {

// Ramp entries between two stops take the blended value rounded down, as
// players' tables do (a row of a slow vertical gradient shows it: a
// rounded table lifts every other step by one).
QColor mixRoundedDown(const QColor &a, const QColor &b, double f)
{
    // The small allowance keeps exact fractions such as 3/3 from falling
    // one short through floating-point error.
    auto channel = [f](int x, int y) { return int(std::floor(x + (y - x) * f + 1e-9)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                  channel(a.alpha(), b.alpha()));
}

} // namespace

Gradient::Ramp Gradient::ramp(const ColorTransform &cxform) const
{
    Ramp out;
    if (stops.isEmpty()) {
        out.fill(cxform.apply(Qt::black).rgba());
        return out;
    }
    // A ratio that does not grow is moved a step past the one before, as
    // players do, and stops pushed beyond the end are dropped. Yet the
    // blend towards a stop starts from the ratio the stop before it was
    // given in the file, not the moved one.
    struct Placed { int at; int from; QColor color; };
    QVarLengthArray<Placed, 16> placed;
    for (const Stop &stop : stops) {
        const int ratio = std::clamp(int(std::lround(stop.ratio * 255)), 0, 255);
        int at = ratio;
        if (!placed.isEmpty()) {
            if (placed.back().at >= 255)
                break;
            at = std::max(at, placed.back().at + 1);
        }
        placed.append({at, ratio, cxform.apply(stop.color)});
    }
    qsizetype next = 0;
    for (int i = 0; i < 256; ++i) {
        while (next < placed.size() && placed[next].at < i)
            ++next;
        QColor color;
        if (next == placed.size()) {
            color = placed.back().color;
        } else if (next == 0 || placed[next].at == i) {
            color = placed[next].color;
        } else {
            const Placed &a = placed[next - 1], &b = placed[next];
            const double f = std::clamp(double(i - a.from) / double(b.at - a.from), 0.0, 1.0);
            color = linearRgb ? mixLinearLight(a.color, b.color, f) : mixRoundedDown(a.color, b.color, f);
        }
        out[i] = color.rgba();
    }
    return out;
}

Gradient Gradient::interpolated(const Gradient &from, const Gradient &to, double t)
{
    using interpolation::mix;
    Gradient out = from;
    out.focal = mix(from.focal, to.focal, t);
    out.matrix = mix(from.matrix, to.matrix, t);
    const qsizetype n = std::min(from.stops.size(), to.stops.size());
    out.stops.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        out.stops[i].ratio = mix(from.stops[i].ratio, to.stops[i].ratio, t);
        out.stops[i].color = mix(from.stops[i].color, to.stops[i].color, t);
    }
    return out;
}

} // namespace swf
