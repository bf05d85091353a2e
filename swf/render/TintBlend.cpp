#include "render/TintBlend.h"

#include "render/PixelRect.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

// Coverage 0..256 from alpha 0..255, exactly 256 when opaque.
int cover(int alpha)
{
    return alpha + (alpha >> 7);
}

// All four channels of `p` times `a` / 255, rounded to nearest (exactly,
// for channels and `a` within 0..255): how Qt's raster engine scales
// premultiplied pixels when it composites. Two channels at a time, in
// 16-bit halves.
inline QRgb scaledPixel(QRgb p, uint a)
{
    uint rb = (p & 0xff00ff) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint ag = ((p >> 8) & 0xff00ff) * a;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

// SourceOver of premultiplied `s` onto `d`.
inline QRgb over(QRgb s, QRgb d)
{
    return s + scaledPixel(d, 255 - qAlpha(s));
}

#ifdef __SSE2__
// Each 16-bit lane of `x` (0..255) scaled by the same lane of `a`, as
// scaledPixel() scales a channel.
inline __m128i scaled16(__m128i x, __m128i a)
{
    __m128i t = _mm_mullo_epi16(x, a);
    t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_set1_epi16(0x80)), 8);
}

// The alpha lane of each of the two pixels in 16-bit lanes, in all four
// of its lanes.
inline __m128i alphas16(__m128i p)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(p, 0xff), 0xff);
}

// Blue, green, red and `alpha` for two pixels in 16-bit lanes.
inline __m128i spread(const int *v, int alpha)
{
    return _mm_setr_epi16(short(v[0]), short(v[1]), short(v[2]), short(alpha),
                          short(v[0]), short(v[1]), short(v[2]), short(alpha));
}

struct Lanes
{
    __m128i mult, add;               // the tint's, spread()
    __m128i fade;                    // constant alpha in 255ths, in every lane
    __m128i keep;                    // 255 - fade: the target's share under opaque pixels
};

// Two pixels in 16-bit lanes tinted as TintBlend::pixel() does, then faded.
// Darkening and colouring alone cannot take a channel past alpha; on
// opaque pixels the addition is whole and cannot either, since the tint
// keeps channels within their range.
template <bool Adds, bool Faded, bool Opaque = false>
inline __m128i tinted(const Lanes &l, __m128i p)
{
    __m128i v = _mm_srli_epi16(_mm_mullo_epi16(p, l.mult), 8);
    if (Adds && Opaque) {
        v = _mm_add_epi16(v, l.add);
    } else if (Adds) {
        const __m128i alpha = alphas16(p);
        const __m128i k = _mm_add_epi16(alpha, _mm_srli_epi16(alpha, 7));
        v = _mm_min_epi16(_mm_add_epi16(v, _mm_srli_epi16(_mm_mullo_epi16(l.add, k), 8)), alpha);
    }
    return Faded ? scaled16(v, l.fade) : v;
}

// Whether all of `p`'s pixels are opaque, and whether all are zero.
inline bool opaque(__m128i p)
{
    const __m128i colours = _mm_set1_epi32(0x00ffffff);
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(p, colours), _mm_set1_epi32(-1))) == 0xffff;
}

inline bool empty(__m128i p)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi32(p, _mm_setzero_si128())) == 0xffff;
}

// Four opaque pixels `p` tinted and stored at `to`, which they cover.
template <bool Adds>
inline void storeTinted(const Lanes &l, __m128i p, QRgb *to)
{
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to),
                     _mm_packus_epi16(tinted<Adds, false, true>(l, _mm_unpacklo_epi8(p, zero)),
                                      tinted<Adds, false, true>(l, _mm_unpackhi_epi8(p, zero))));
}

// The groups of four pixels of a row tinted; returns how many pixels it
// did.
template <bool Adds>
int tintFours(const Lanes &l, const QRgb *s, QRgb *d, int width)
{
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x));
        if (Adds && opaque(p)) {
            storeTinted<Adds>(l, p, d + x);
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x),
                         _mm_packus_epi16(tinted<Adds, false>(l, _mm_unpacklo_epi8(p, zero)),
                                          tinted<Adds, false>(l, _mm_unpackhi_epi8(p, zero))));
    }
    return x;
}

// Four opaque pixels `p` tinted, faded and composited onto those at `to`:
// an opaque alpha faded is the fade itself, so they all leave the target
// the same share.
template <bool Adds>
inline void fadeOnto(const Lanes &l, __m128i p, QRgb *to)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i *at = reinterpret_cast<__m128i *>(to);
    const __m128i b = _mm_loadu_si128(at);
    const __m128i low = _mm_add_epi16(tinted<Adds, true, true>(l, _mm_unpacklo_epi8(p, zero)),
                                      scaled16(_mm_unpacklo_epi8(b, zero), l.keep));
    const __m128i high = _mm_add_epi16(tinted<Adds, true, true>(l, _mm_unpackhi_epi8(p, zero)),
                                       scaled16(_mm_unpackhi_epi8(b, zero), l.keep));
    _mm_storeu_si128(at, _mm_packus_epi16(low, high));
}

// Four opaque pixels `p` tinted (and faded) onto those at `to`.
template <bool Adds, bool Faded>
inline void opaqueOnto(const Lanes &l, __m128i p, QRgb *to)
{
    if (Faded)
        fadeOnto<Adds>(l, p, to);
    else
        storeTinted<Adds>(l, p, to);
}

// Four pixels `p` tinted (and faded) and composited SourceOver onto those
// at `to`.
template <bool Adds, bool Faded>
inline void blendFour(const Lanes &l, __m128i p, QRgb *to)
{
    if (opaque(p)) {
        opaqueOnto<Adds, Faded>(l, p, to);
        return;
    }
    if (empty(p))
        return;                        // tinted, still nothing
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255);
    auto onto = [&](__m128i t, __m128i b) {
        return _mm_add_epi16(t, scaled16(b, _mm_sub_epi16(full, alphas16(t))));
    };
    __m128i *at = reinterpret_cast<__m128i *>(to);
    const __m128i b = _mm_loadu_si128(at);
    const __m128i low = onto(tinted<Adds, Faded>(l, _mm_unpacklo_epi8(p, zero)), _mm_unpacklo_epi8(b, zero));
    const __m128i high = onto(tinted<Adds, Faded>(l, _mm_unpackhi_epi8(p, zero)), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(at, _mm_packus_epi16(low, high));
}

// The groups of four pixels of a row tinted and composited SourceOver;
// returns how many pixels it did. Which of the tint's and the fade's steps
// apply is settled once per row, not per pixel; runs of opaque or empty
// pixels (most of a picture) are found eight at a time.
template <bool Adds, bool Faded>
int blendFours(const Lanes &l, const QRgb *s, QRgb *d, int width)
{
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x));
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x + 4));
        if (opaque(_mm_and_si128(p, q))) {
            opaqueOnto<Adds, Faded>(l, p, d + x);
            opaqueOnto<Adds, Faded>(l, q, d + x + 4);
        } else if (!empty(_mm_or_si128(p, q))) {
            blendFour<Adds, Faded>(l, p, d + x);
            blendFour<Adds, Faded>(l, q, d + x + 4);
        }
    }
    if (x + 4 <= width) {
        blendFour<Adds, Faded>(l, _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x)), d + x);
        x += 4;
    }
    return x;
}
#endif

} // namespace

bool TintBlend::keepsInRange(const ColorTransform &cx)
{
    auto channel = [](int mult, int add) { return mult >= 0 && add >= 0 && 255 * mult / 256 + add <= 255; };
    return channel(cx.rMult, cx.rAdd) && channel(cx.gMult, cx.gAdd) && channel(cx.bMult, cx.bAdd);
}

TintBlend::TintBlend(const ColorTransform &cx)
    : m_mult{cx.bMult, cx.gMult, cx.rMult}, m_add{cx.bAdd, cx.gAdd, cx.rAdd},
      m_adds(cx.bAdd != 0 || cx.gAdd != 0 || cx.rAdd != 0)
{
}

QRgb TintBlend::pixel(QRgb p) const
{
    const int a = qAlpha(p), k = cover(a);
    auto channel = [&](int c, int i) { return std::min((c * m_mult[i] >> 8) + (m_add[i] * k >> 8), a); };
    return qRgba(channel(qRed(p), 2), channel(qGreen(p), 1), channel(qBlue(p), 0), a);
}

void TintBlend::apply(const QImage &image, const QRect &from, QImage &out) const
{
    if (out.width() < from.width() || out.height() < from.height())
        out = QImage(std::max(out.width(), from.width()), std::max(out.height(), from.height()),
                     QImage::Format_ARGB32_Premultiplied);
    const int width = from.width();
#ifdef __SSE2__
    const Lanes lanes{spread(m_mult, 256), spread(m_add, 0), _mm_setzero_si128(), _mm_setzero_si128()};
#endif
    for (int y = 0; y < from.height(); ++y) {
        const QRgb *s = reinterpret_cast<const QRgb *>(image.constScanLine(from.y() + y)) + from.x();
        QRgb *d = reinterpret_cast<QRgb *>(out.scanLine(y));
        int x = 0;
#ifdef __SSE2__
        x = m_adds ? tintFours<true>(lanes, s, d, width) : tintFours<false>(lanes, s, d, width);
#endif
        for (; x < width; ++x)
            d[x] = pixel(s[x]);
    }
}

bool TintBlend::blit(QPainter &painter, const QPoint &at, const QImage &image) const
{
    auto *target = dynamic_cast<QImage *>(painter.device());
    const QPaintEngine *engine = painter.paintEngine();
    if (!target || !engine || engine->type() != QPaintEngine::Raster
        || target->format() != QImage::Format_ARGB32_Premultiplied || target->devicePixelRatio() != 1.0
        || image.format() != QImage::Format_ARGB32_Premultiplied
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || !painter.deviceTransform().isIdentity() || !engine->systemClip().isEmpty())
        return false;
    // Written in place, as the painter writes: a copy sharing the pixels
    // would be detached from under it.
    if (!target->isDetached())
        return false;
    QRect shown = QRect(at, image.size()) & target->rect();
    if (painter.hasClipping()) {
        // Clips other than a rectangle cut pixels by coverage, which is
        // left to the raster engine.
        QRect clip;
        if (!clipPixels(painter, &clip))
            return false;
        shown &= clip;
    }
    // The painter's opacity as the raster engine takes it: 256ths, cut
    // down, then 255ths.
    const int constAlpha = int(painter.opacity() * 256);
    if (shown.isEmpty() || constAlpha <= 0)
        return true;
    const QPoint from = shown.topLeft() - at;
    for (int y = 0; y < shown.height(); ++y) {
        const QRgb *s = reinterpret_cast<const QRgb *>(image.constScanLine(from.y() + y)) + from.x();
        QRgb *d = reinterpret_cast<QRgb *>(target->scanLine(shown.y() + y)) + shown.x();
        blendRow(s, d, shown.width(), constAlpha);
    }
    return true;
}

void TintBlend::blendRow(const QRgb *s, QRgb *d, int width, int constAlpha) const
{
    const uint fade = uint(constAlpha * 255) >> 8;   // 255 when opaque
    int x = 0;
#ifdef __SSE2__
    const Lanes lanes{spread(m_mult, 256), spread(m_add, 0), _mm_set1_epi16(short(fade)),
                      _mm_set1_epi16(short(255 - fade))};
    if (constAlpha < 256)
        x = m_adds ? blendFours<true, true>(lanes, s, d, width) : blendFours<false, true>(lanes, s, d, width);
    else
        x = m_adds ? blendFours<true, false>(lanes, s, d, width) : blendFours<false, false>(lanes, s, d, width);
#endif
    for (; x < width; ++x) {
        if (s[x] == 0)
            continue;
        QRgb t = pixel(s[x]);
        if (fade < 255)
            t = scaledPixel(t, fade);
        d[x] = qAlpha(t) == 255 ? t : over(t, d[x]);
    }
}

} // namespace swf
