#include "render/Gradient.h"

#include "character/Interpolation.h"
#include "render/PixelRect.h"

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

#ifdef __SSE2__
// floor() of both lanes: SSE2 has no rounding instruction. Below 2^52 an
// addition of 2^52 (of the value's sign) rounds to a whole number; larger
// values, infinities and NaN are whole already or stay as they are.
__m128d floorPd(__m128d x)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d big = _mm_set1_pd(0x1p52);
    const __m128d magic = _mm_or_pd(big, _mm_and_pd(sign, x));
    __m128d r = _mm_sub_pd(_mm_add_pd(x, magic), magic);
    r = _mm_sub_pd(r, _mm_and_pd(_mm_cmpgt_pd(r, x), _mm_set1_pd(1.0)));
    const __m128d small = _mm_cmplt_pd(_mm_andnot_pd(sign, x), big);
    return _mm_or_pd(_mm_and_pd(small, r), _mm_andnot_pd(small, x));
}
#endif

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
        m_straight[256] = ramp[255];
    }

    // `u`: 0 at the start of the gradient, 1 at its end.
    QRgb at(double u) const { return colourAt(step(spreadOut(u))); }

    // For pictures much larger than the 65281 steps a position can take:
    // every step's colour worked out once.
    void tabulate()
    {
        constexpr int kSteps = 255 * 256 + 1;
        m_table.resize(kSteps);
        int i = 0;
#ifdef __SSE2__
        __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
        for (; i + 4 <= kSteps; i += 4, steps = _mm_add_epi32(steps, _mm_set1_epi32(4)))
            _mm_storeu_si128(reinterpret_cast<__m128i *>(m_table.data() + i), colourAt(steps));
#endif
        for (; i < kSteps; ++i)
            m_table[std::size_t(i)] = colourAt(i);
    }

    // Positions beyond the ends brought back into 0..1.
    double spreadOut(double u) const
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
        return u;
    }

    // Where `u` falls: 256ths of the way from one entry's centre to the
    // next, 0 to 255 * 256.
    static int step(double u)
    {
        // Also sends NaN (a point at infinity) to the last entry.
        const double p = u * 256.0 - 0.5;
        return p >= 0.0 ? (p < 255.0 ? int(p * 256.0) : 255 * 256) : (p < 0.0 ? 0 : 255 * 256);
    }

#ifdef __SSE2__
    // The same arithmetic as the scalar versions, lane by lane.
    __m128d spreadOut(__m128d u) const
    {
        switch (m_spread) {
        case Gradient::Spread::Pad:
            break;
        case Gradient::Spread::Repeat:
            u = _mm_sub_pd(u, floorPd(u));
            break;
        case Gradient::Spread::Reflect: {
            const __m128d one = _mm_set1_pd(1.0);
            const __m128d half = floorPd(_mm_mul_pd(u, _mm_set1_pd(0.5)));
            const __m128d d = _mm_sub_pd(_mm_sub_pd(u, _mm_add_pd(half, half)), one);
            u = _mm_sub_pd(one, _mm_andnot_pd(_mm_set1_pd(-0.0), d));
            break;
        }
        }
        return u;
    }

    // Two steps, in the low half. p * 256 keeps p's order against 0 and
    // 255 exactly; minpd gives its second operand for NaN.
    static __m128i step(__m128d u)
    {
        const __m128d k256 = _mm_set1_pd(256.0);
        __m128d q = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(u, k256), _mm_set1_pd(0.5)), k256);
        q = _mm_max_pd(_mm_min_pd(q, _mm_set1_pd(255.0 * 256.0)), _mm_setzero_pd());
        return _mm_cvttpd_epi32(q);
    }

    // The colours of pixel x of four rows from their steps, one a lane.
    void put(__m128i steps, QRgb *const *lines, int x) const
    {
        if (!m_table.empty()) {
            // Steps fit 16 bits.
            const QRgb *table = m_table.data();
            lines[0][x] = table[_mm_extract_epi16(steps, 0)];
            lines[1][x] = table[_mm_extract_epi16(steps, 2)];
            lines[2][x] = table[_mm_extract_epi16(steps, 4)];
            lines[3][x] = table[_mm_extract_epi16(steps, 6)];
            return;
        }
        alignas(16) QRgb four[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(four), colourAt(steps));
        for (int j = 0; j < 4; ++j)
            lines[j][x] = four[j];
    }
#else
    // The colour of a step.
    QRgb operator[](int step) const { return m_table.empty() ? colourAt(step) : m_table[std::size_t(step)]; }
#endif

private:
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

#ifdef __SSE2__
    // Four steps' colours, 16 bits a channel: a + (b - a) * w / 256 rounded
    // equals the scalar blend, and every sum fits 16 bits unsigned.
    __m128i colourAt(__m128i steps) const
    {
        alignas(16) int index[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(index), _mm_srli_epi32(steps, 8));
        const __m128i w16 = _mm_packs_epi32(_mm_and_si128(steps, _mm_set1_epi32(0xff)), _mm_setzero_si128());
        const __m128i wPairs = _mm_unpacklo_epi16(w16, w16);
        const __m128i zero = _mm_setzero_si128();
        const __m128i round = _mm_set1_epi16(0x80);
        auto blend = [&](int first, __m128i weights) {
            // a0 a1 b0 b1, each entry beside the next one in the ramp
            const __m128i pairs = _mm_unpacklo_epi64(
                _mm_loadl_epi64(reinterpret_cast<const __m128i *>(m_straight.data() + index[first])),
                _mm_loadl_epi64(reinterpret_cast<const __m128i *>(m_straight.data() + index[first + 1])));
            const __m128i ab = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 1, 2, 0));
            const __m128i a = _mm_unpacklo_epi8(ab, zero), b = _mm_unpackhi_epi8(ab, zero);
            __m128i c = _mm_add_epi16(_mm_slli_epi16(a, 8), _mm_mullo_epi16(_mm_sub_epi16(b, a), weights));
            c = _mm_srli_epi16(_mm_add_epi16(c, round), 8);
            if (!m_opaque) {
                // qPremultiply(): c * alpha, plus its 256th, rounded; the
                // alpha lanes multiply by 255, which keeps them.
                __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xff), 0xff);
                alpha = _mm_or_si128(alpha, _mm_set_epi16(0xff, 0, 0, 0, 0xff, 0, 0, 0));
                const __m128i t = _mm_mullo_epi16(c, alpha);
                c = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), round), 8);
            }
            return c;
        };
        return _mm_packus_epi16(blend(0, _mm_unpacklo_epi32(wPairs, wPairs)),
                                blend(2, _mm_unpackhi_epi32(wPairs, wPairs)));
    }
#endif

    Gradient::Spread m_spread;
    bool m_opaque = true;
    // Straight ARGB; the last entry twice, so that every entry has a next.
    alignas(16) std::array<QRgb, 257> m_straight;
    std::vector<QRgb> m_table;       // by step, when tabulated
};

#ifdef __SSE2__
// Four rows of a picture at a time, a row in each lane: the pixel centres
// in the gradient square are found by adding the step from pixel to pixel,
// as a plain loop along one row does (sums rounded alike, so the same
// bytes wherever a picture starts), four additions side by side instead
// of one waiting for the last.
struct RowGroup
{
    __m128d x01, x23, y01, y23;      // rows 0 and 1, rows 2 and 3

    // The colours of `width` pixels of four rows, from the steps
    // `stepsAt` works out from the pixels' centres.
    template<typename StepsAt>
    void walk(__m128d dx, __m128d dy, int width, const RampLookup &lookup, QRgb *const *lines, StepsAt stepsAt)
    {
        for (int x = 0; x < width; ++x) {
            lookup.put(stepsAt(x01, x23, y01, y23), lines, x);
            x01 = _mm_add_pd(x01, dx);
            x23 = _mm_add_pd(x23, dx);
            y01 = _mm_add_pd(y01, dy);
            y23 = _mm_add_pd(y23, dy);
        }
    }
};

__m128i joined(__m128i low, __m128i high) { return _mm_unpacklo_epi64(low, high); }

// Steps of a radial gradient under pad spread from r = x^2 + y^2. Square
// roots in single precision are several times faster: a step is taken
// from one where it stands clear of the step's edges by more than the
// estimate can be off, and from the double precision root where not. For
// roots up to 1 (past that the step is the last one anyway) the estimate
// is within 2^-24 of the root (half an ulp of the float root, and the
// rounding of r to a float), 2^-8 of a step; working the step out from it
// in single precision rounds nothing more.
__m128i padRadialSteps(__m128d r01, __m128d r23)
{
    const __m128 root = _mm_sqrt_ps(_mm_movelh_ps(_mm_cvtpd_ps(r01), _mm_cvtpd_ps(r23)));
    // The step plus one: 65536 * root - 128 + 1, kept to 1.5 .. 255 * 256 + 1.5,
    // half a step inside either end (NaN to the far end, as in step()).
    __m128 q = _mm_sub_ps(_mm_mul_ps(root, _mm_set1_ps(65536.0f)), _mm_set1_ps(127.0f));
    q = _mm_max_ps(_mm_min_ps(q, _mm_set1_ps(255.0f * 256.0f + 1.5f)), _mm_set1_ps(1.5f));
    const __m128i whole = _mm_cvttps_epi32(q);
    const __m128 within = _mm_sub_ps(_mm_sub_ps(q, _mm_cvtepi32_ps(whole)), _mm_set1_ps(0.5f));
    const __m128 unsure = _mm_cmpgt_ps(_mm_andnot_ps(_mm_set1_ps(-0.0f), within), _mm_set1_ps(0.5f - 0.01f));
    if (_mm_movemask_ps(unsure) == 0)
        return _mm_sub_epi32(whole, _mm_set1_epi32(1));
    return joined(RampLookup::step(_mm_sqrt_pd(r01)), RampLookup::step(_mm_sqrt_pd(r23)));
}

// The same for a focal gradient: u = (fd + root) / k. The estimate is
// within 1.5 * 2^-24 of the root, relatively, which is 1.5 * 2^-8 * root / k
// of a step, and each lane gets a margin of 2^-7 * root / k. As u is at
// least root / (1 + |f|), a margin past half a step only comes with steps
// far past the last; a root too large for single precision has an
// infinite one.
struct FocalSteps
{
    FocalSteps(double f, double k)
        : f(_mm_set1_pd(f)), k(_mm_set1_pd(k)), scale(_mm_set1_pd(65536.0 / k)), slope(_mm_set1_pd(0x1p-7 / k))
    {
    }

    // fd and r of two lanes.
    void prepare(__m128d gx, __m128d gy, __m128d &fd, __m128d &r) const
    {
        const __m128d dx = _mm_sub_pd(gx, f);
        fd = _mm_mul_pd(f, dx);
        r = _mm_add_pd(_mm_mul_pd(fd, fd), _mm_mul_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(gy, gy)), k));
    }

    __m128d exact(__m128d fd, __m128d r) const { return _mm_div_pd(_mm_add_pd(fd, _mm_sqrt_pd(r)), k); }

    // Two steps plus one from estimated roots, in the low half, as in
    // padRadialSteps(); lanes whose step the estimate cannot tell are set
    // in `unsure`.
    __m128i estimated(__m128d fd, __m128d root, __m128d &unsure) const
    {
        const __m128d half = _mm_set1_pd(0.5);
        __m128d q = _mm_sub_pd(_mm_mul_pd(_mm_add_pd(fd, root), scale), _mm_set1_pd(127.0));
        q = _mm_max_pd(_mm_min_pd(q, _mm_set1_pd(255.0 * 256.0 + 1.5)), _mm_set1_pd(1.5));
        const __m128i out = _mm_cvttpd_epi32(q);
        const __m128d within = _mm_sub_pd(_mm_sub_pd(q, _mm_cvtepi32_pd(out)), half);
        const __m128d limit = _mm_sub_pd(_mm_set1_pd(0.5 - 0x1p-16), _mm_mul_pd(root, slope));
        unsure = _mm_or_pd(unsure, _mm_cmpgt_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), within), limit));
        return out;
    }

    __m128i operator()(__m128d x01, __m128d x23, __m128d y01, __m128d y23) const
    {
        __m128d fd01, fd23, r01, r23;
        prepare(x01, y01, fd01, r01);
        prepare(x23, y23, fd23, r23);
        const __m128 roots = _mm_sqrt_ps(_mm_movelh_ps(_mm_cvtpd_ps(r01), _mm_cvtpd_ps(r23)));
        __m128d unsure = _mm_setzero_pd();
        const __m128i s01 = estimated(fd01, _mm_cvtps_pd(roots), unsure);
        const __m128i s23 = estimated(fd23, _mm_cvtps_pd(_mm_movehl_ps(roots, roots)), unsure);
        if (_mm_movemask_pd(unsure) == 0)
            return _mm_sub_epi32(joined(s01, s23), _mm_set1_epi32(1));
        return joined(RampLookup::step(exact(fd01, r01)), RampLookup::step(exact(fd23, r23)));
    }

    __m128d f, k, scale, slope;
};
#endif

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

        // All but the area, and but a shift by whole device pixels, which
        // moves the picture without changing it: a shape kept in the cache
        // is drawn into a picture of its own bounds, which move as a morph
        // changes it. `shift` takes `o`'s pixels to this key's.
        bool sameGradient(const Key &o, QPoint *shift) const
        {
            const Gradient &a = gradient, &b = o.gradient;
            const QTransform &t = toDevice, &u = o.toDevice;
            if (t.m11() != u.m11() || t.m12() != u.m12() || t.m21() != u.m21() || t.m22() != u.m22()
                || t.m13() != u.m13() || t.m23() != u.m23() || t.m33() != u.m33())
                return false;
            const double dx = t.dx() - u.dx(), dy = t.dy() - u.dy();
            if (dx != std::round(dx) || dy != std::round(dy) || std::abs(dx) > 1e6 || std::abs(dy) > 1e6)
                return false;
            *shift = QPoint(int(dx), int(dy));
            if (a.kind != b.kind || a.spread != b.spread
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
        ++m_clock;
        *drawnElsewhere = false;
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            QPoint shift;
            if (!key.sameGradient(it->key, &shift))
                continue;
            if (it->key.area.translated(shift).contains(key.area)) {
                it->foundAgain = true;
                it->lastFound = m_clock;
                m_entries.splice(m_entries.begin(), m_entries, it);
                *origin = m_entries.front().key.area.topLeft() + shift;
                return m_entries.front().image;
            }
            *drawnElsewhere = true;
        }
        return {};
    }

    // Pictures never found again go first, the oldest of them: a gradient
    // that changes every frame (a morph's) leaves a new picture each
    // frame, and would otherwise push out the still ones drawn every frame
    // too. A picture not found for a while (a movie since closed) counts
    // as never found again. The newest picture stays, or it could never be
    // found again.
    void keep(const Key &key, const QImage &image)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_front({key, image, false, m_clock});
        m_bytes += image.sizeInBytes();
        while (m_entries.size() > kMaxEntries || m_bytes > kMaxBytes) {
            auto victim = std::prev(m_entries.end());
            for (auto it = victim; it != m_entries.begin(); --it) {
                if (!it->foundAgain || m_clock - it->lastFound > kForgottenAfter) {
                    victim = it;
                    break;
                }
            }
            m_bytes -= victim->image.sizeInBytes();
            m_entries.erase(victim);
        }
    }

private:
    struct Entry
    {
        Key key;
        QImage image;
        bool foundAgain;
        std::uint64_t lastFound;     // m_clock then
    };

    static constexpr std::size_t kMaxEntries = 16;
    static constexpr qsizetype kMaxBytes = 32 << 20;
    static constexpr std::uint64_t kForgottenAfter = 256; // look-ups
    std::uint64_t m_clock = 0;
    std::mutex m_mutex;
    std::list<Entry> m_entries;
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
    const int width = area.width(), height = area.height();
    const double cx = area.x() + 0.5;
    // The first pixel centre of row y in the gradient square.
    auto rowStart = [&](int y, double *gx, double *gy) {
        const double cy = area.y() + y + 0.5;
        *gx = back.m11() * cx + back.m21() * cy + back.dx();
        *gy = back.m12() * cx + back.m22() * cy + back.dy();
    };
    // Linear gradients that run along the device's x axis have the same
    // colour all along each row; most linear gradients run along its y
    // axis, and then every row is the first one again.
    const bool linear = kind == Kind::Linear;
    if (linear && back.m11() == 0.0) {
        for (int y = 0; y < height; ++y) {
            double gx, gy;
            rowStart(y, &gx, &gy);
            auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
            std::fill(line, line + width, lookup.at((gx + 1.0) / 2.0));
        }
        return out;
    }
    const bool sameRows = linear && back.m21() == 0.0;
    if ((sameRows ? 1 : qint64(height)) * width > 2 * 65536)
        lookup.tabulate();
#ifdef __SSE2__
    // Rows past the picture's last are worked out into this one and dropped.
    std::vector<QRgb> spare(static_cast<std::size_t>(width));
    const __m128d dx = _mm_set1_pd(back.m11()), dy = _mm_set1_pd(back.m12());
    const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    for (int y = 0; y < height; y += 4) {
        double gx[4], gy[4];
        QRgb *lines[4];
        for (int j = 0; j < 4; ++j) {
            rowStart(y + j, gx + j, gy + j);
            const bool shown = y + j < height && !(sameRows && j > 0);
            lines[j] = shown ? reinterpret_cast<QRgb *>(out.scanLine(y + j)) : spare.data();
        }
        RowGroup group{_mm_setr_pd(gx[0], gx[1]), _mm_setr_pd(gx[2], gx[3]), _mm_setr_pd(gy[0], gy[1]),
                       _mm_setr_pd(gy[2], gy[3])};
        if (linear) {
            group.walk(dx, dy, width, lookup, lines, [&](__m128d x01, __m128d x23, __m128d, __m128d) {
                const __m128d u01 = _mm_mul_pd(_mm_add_pd(x01, one), half);
                const __m128d u23 = _mm_mul_pd(_mm_add_pd(x23, one), half);
                return joined(RampLookup::step(lookup.spreadOut(u01)), RampLookup::step(lookup.spreadOut(u23)));
            });
        } else if (spread == Spread::Pad && f == 0.0) {
            group.walk(dx, dy, width, lookup, lines, [](__m128d x01, __m128d x23, __m128d y01, __m128d y23) {
                return padRadialSteps(_mm_add_pd(_mm_mul_pd(x01, x01), _mm_mul_pd(y01, y01)),
                                      _mm_add_pd(_mm_mul_pd(x23, x23), _mm_mul_pd(y23, y23)));
            });
        } else if (spread == Spread::Pad) {
            group.walk(dx, dy, width, lookup, lines, FocalSteps(f, k));
        } else if (f == 0.0) {
            group.walk(dx, dy, width, lookup, lines, [&](__m128d x01, __m128d x23, __m128d y01, __m128d y23) {
                const __m128d u01 = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(x01, x01), _mm_mul_pd(y01, y01)));
                const __m128d u23 = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(x23, x23), _mm_mul_pd(y23, y23)));
                return joined(RampLookup::step(lookup.spreadOut(u01)), RampLookup::step(lookup.spreadOut(u23)));
            });
        } else {
            // The focal point F = (f, 0); a point P lies as far along as
            // |P - F| is along the ray from F through P to the circle's edge.
            const FocalSteps focalSteps(f, k);
            group.walk(dx, dy, width, lookup, lines, [&](__m128d x01, __m128d x23, __m128d y01, __m128d y23) {
                __m128d fd01, fd23, r01, r23;
                focalSteps.prepare(x01, y01, fd01, r01);
                focalSteps.prepare(x23, y23, fd23, r23);
                return joined(RampLookup::step(lookup.spreadOut(focalSteps.exact(fd01, r01))),
                              RampLookup::step(lookup.spreadOut(focalSteps.exact(fd23, r23))));
            });
        }
        if (sameRows)
            break;
    }
#else
    for (int y = 0; y < (sameRows ? 1 : height); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        double gx, gy;
        rowStart(y, &gx, &gy);
        for (int x = 0; x < width; ++x, gx += back.m11(), gy += back.m12()) {
            double u;
            if (linear) {
                u = (gx + 1.0) / 2.0;
            } else if (f == 0.0) {
                u = std::sqrt(gx * gx + gy * gy);
            } else {
                // The focal point F = (f, 0); a point P lies as far along
                // as |P - F| is along the ray from F through P to the
                // circle's edge.
                const double dx = gx - f;
                const double fd = f * dx;
                u = (fd + std::sqrt(fd * fd + (dx * dx + gy * gy) * k)) / k;
            }
            line[x] = lookup[RampLookup::step(lookup.spreadOut(u))];
        }
    }
#endif
    for (int y = 1; y < height && sameRows; ++y)
        std::memcpy(out.scanLine(y), out.constScanLine(0), sizeof(QRgb) * std::size_t(width));
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
    // A pixel more on every side.
    if (painter.hasClipping())
        reach = pixelsWithin(toDevice.mapRect(painter.clipBoundingRect()), 1, reach);
    QRect pixels = reach;
    if (!area.isNull())
        pixels = pixelsWithin(toDevice.mapRect(area), 1, reach);
    if (pixels.isEmpty())
        return QBrush(Qt::NoBrush);
    QPoint origin;
    QImage texture = picture(cxform, toDevice, pixels, reach, &origin);
    if (texture.width() == 1 && pixels.width() > 1) {
        // One colour per row: widened, as Qt would lay a texture one pixel
        // wide a pixel at a time.
        QImage wide(pixels.width(), texture.height(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < texture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(wide.scanLine(y));
            std::fill(line, line + wide.width(), reinterpret_cast<const QRgb *>(texture.constScanLine(y))[0]);
        }
        texture = wide;
        origin.setX(pixels.x());
    }
    QBrush out(texture);
    out.setTransform(QTransform::fromTranslate(origin.x(), origin.y()) * toDevice.inverted());
    return out;
}

bool Gradient::rowsOfOneColour(const QTransform &shapeToDevice) const
{
    bool invertible = false;
    const QTransform back = (matrix * shapeToDevice).inverted(&invertible);
    return kind == Kind::Linear && stops.size() >= 2 && invertible && back.m11() == 0.0
        && shapeToDevice.type() != QTransform::TxProject;
}

QImage Gradient::picture(const ColorTransform &cxform, const QTransform &shapeToDevice, const QRect &pixels,
                         const QRect &reach, QPoint *origin) const
{
    RecentPictures::Key key{*this, shapeToDevice, pixels, cxform};
    bool drawnElsewhere = false;
    QImage found = recentPictures().find(key, origin, &drawnElsewhere);
    if (found.isNull()) {
        // A shape that grows or moves a little under a still gradient
        // finds a picture with some room around it again. Gradients that
        // change as they go (a morph's) would not use the room.
        const int margin = drawnElsewhere ? std::max({16, pixels.width() / 8, pixels.height() / 8}) : 0;
        key.area = pixels.adjusted(-margin, -margin, margin, margin) & reach;
        // A sky's rows are held by a picture one pixel wide.
        const bool rows = !key.area.isEmpty() && rowsOfOneColour(shapeToDevice);
        found = image(shapeToDevice, rows ? QRect(key.area.topLeft(), QSize(1, key.area.height())) : key.area, cxform);
        *origin = key.area.topLeft();
        recentPictures().keep(key, found);
    }
    return found;
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
