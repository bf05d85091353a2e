// Run by hand: bin/bench_gradient [ROUNDS] [ONLY]    (ONLY: how a picture's name starts)
//
// Times Gradient::image against the plain scalar code it replaced (kept
// here as it was: one position after another, square roots two at a time,
// the colour of each blended or looked up on its own) on pictures of the sizes a full-HD frame shows,
// and checks that both give the same bytes. Prints the time per picture of
// each and the ratio, all measured in this one run.
#include "render/Gradient.h"

#include "BenchReport.h"
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using swf::Gradient;

namespace {

constexpr double kHalfSquare = 16384.0;
constexpr double kMaxFocal = 0.98;

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

class ScalarRampLookup
{
public:
    ScalarRampLookup(const Gradient::Ramp &ramp, Gradient::Spread spread) : m_spread(spread)
    {
        for (int i = 0; i < 256; ++i) {
            m_opaque = m_opaque && qAlpha(ramp[i]) == 255;
            m_straight[i] = ramp[i];
        }
    }

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

    void tabulate()
    {
        m_table.resize(255 * 256 + 1);
        for (int i = 0; i <= 255 * 256; ++i)
            m_table[std::size_t(i)] = colourAt(i);
    }

private:
    static int step(double u)
    {
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
        const quint32 rb = ((a & 0xff00ff) * quint32(256 - w) + (b & 0xff00ff) * quint32(w) + 0x800080) >> 8;
        const quint32 ag = (((a >> 8) & 0xff00ff) * quint32(256 - w) + ((b >> 8) & 0xff00ff) * quint32(w) + 0x800080) >> 8;
        const QRgb blended = (rb & 0xff00ff) | ((ag & 0xff00ff) << 8);
        return m_opaque ? blended : qPremultiply(blended);
    }

    QRgb entry(double u) const { return colourAt(step(u)); }

    Gradient::Spread m_spread;
    bool m_opaque = true;
    std::array<QRgb, 256> m_straight;
    std::vector<QRgb> m_table;
};

QImage scalarImage(const Gradient &g, const QTransform &shapeToDevice, const QRect &area,
                   const swf::ColorTransform &cxform)
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    const Gradient::Ramp colours = g.ramp(cxform);
    ScalarRampLookup lookup(colours, g.spread);
    if (g.spread == Gradient::Spread::Pad && qint64(area.width()) * area.height() > 2 * 65536)
        lookup.tabulate();
    bool invertible = false;
    const QTransform back = (g.matrix * shapeToDevice).inverted(&invertible)
                          * QTransform::fromScale(1.0 / kHalfSquare, 1.0 / kHalfSquare);
    if (!invertible || shapeToDevice.type() == QTransform::TxProject) {
        out.fill(qPremultiply(colours.back()));
        return out;
    }
    const double f = g.kind == Gradient::Kind::Focal ? std::clamp(g.focal, -kMaxFocal, kMaxFocal) : 0.0;
    const double k = 1.0 - f * f;
    const int width = area.width();
    std::vector<double> u(static_cast<std::size_t>(width)), w(static_cast<std::size_t>(width));
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        const double cy = area.y() + y + 0.5;
        const double cx = area.x() + 0.5;
        double gx = back.m11() * cx + back.m21() * cy + back.dx();
        double gy = back.m12() * cx + back.m22() * cy + back.dy();
        if (g.kind == Gradient::Kind::Linear) {
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

struct Case
{
    const char *name;
    Gradient gradient;
    QRect area;
};

Gradient makeGradient(Gradient::Kind kind, Gradient::Spread spread, bool translucent, const QTransform &matrix)
{
    Gradient g;
    g.kind = kind;
    g.spread = spread;
    g.focal = 0.55;
    g.matrix = matrix;
    const int a = translucent ? 120 : 255;
    g.stops = {{0.0, QColor(250, 230, 40, a)}, {0.35, QColor(230, 90, 20)}, {0.7, QColor(60, 20, 150, a)},
               {1.0, QColor(10, 10, 40)}};
    return g;
}

// The gradient square (32768 twips) scaled to `pixels` device pixels,
// turned by `degrees` and centred on `centre`.
QTransform placed(double pixels, double degrees, QPointF centre)
{
    const double s = pixels / 32768.0;
    return QTransform::fromScale(s, s) * QTransform().rotate(degrees)
         * QTransform::fromTranslate(centre.x(), centre.y());
}

// Milliseconds per picture: the best of `rounds` batches.
template<typename Draw>
double timePerPicture(Draw draw, int rounds, int perBatch)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perBatch; ++i)
            draw();
        best = std::min(best, timer.nsecsElapsed() / 1e6 / perBatch);
    }
    return best;
}

qint64 differingPixels(const QImage &a, const QImage &b)
{
    qint64 n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            n += ra[x] != rb[x];
    }
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    // It draws into pictures only, and must run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    using K = Gradient::Kind;
    using S = Gradient::Spread;
    const std::vector<Case> cases = {
        {"radial 600x600", makeGradient(K::Radial, S::Pad, false, placed(700, 0, {290, 310})), QRect(0, 0, 600, 600)},
        {"linear slanted 1080x840", makeGradient(K::Linear, S::Pad, false, placed(900, 25, {540, 420})),
         QRect(0, 0, 1080, 840)},
        {"focal 500x500", makeGradient(K::Focal, S::Pad, false, placed(520, 10, {250, 250})), QRect(0, 0, 500, 500)},
        // Not tabulated: fewer pixels than steps, or a spread.
        {"radial 300x300 translucent", makeGradient(K::Radial, S::Pad, true, placed(320, 0, {150, 150})),
         QRect(0, 0, 300, 300)},
        {"reflected radial 600x600", makeGradient(K::Radial, S::Reflect, false, placed(300, 0, {290, 310})),
         QRect(0, 0, 600, 600)},
        {"linear 1080x840 repeat translucent", makeGradient(K::Linear, S::Repeat, true, placed(400, 60, {540, 420})),
         QRect(0, 0, 1080, 840)},
    };
    std::printf("%-36s %12s %12s %8s %s\n", "picture", "scalar ms", "new ms", "ratio", "pixels that differ");
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    double leastGain = 1e9;
    for (const Case &c : cases) {
        if (!QByteArray(c.name).startsWith(only))
            continue;
        const QImage before = scalarImage(c.gradient, QTransform(), c.area, {});
        const QImage after = c.gradient.image(QTransform(), c.area, {});
        const int perBatch = std::max(1, int(2e6 / (c.area.width() * double(c.area.height()))));
        const double oldMs = qEnvironmentVariableIsSet("BENCH_GRADIENT_NEW_ONLY")
            ? 1.0
            : timePerPicture([&] { scalarImage(c.gradient, QTransform(), c.area, {}); }, rounds, perBatch);
        const double newMs = timePerPicture([&] { c.gradient.image(QTransform(), c.area, {}); }, rounds, perBatch);
        std::printf("%-36s %12.3f %12.3f %7.2fx %lld\n", c.name, oldMs, newMs, oldMs / newMs,
                    static_cast<long long>(differingPixels(before, after)));
        leastGain = std::min(leastGain, oldMs / newMs);
    }
    if (leastGain < 1e9)
        reportRatio("gradient picture, plain scalar code / engine, least over the pictures", leastGain);
    return 0;
}
