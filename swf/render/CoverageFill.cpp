#include "render/CoverageFill.h"

#include "render/PixelRect.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

constexpr int kGrid = 4;              // sample points per pixel on each axis
constexpr int kShareStep = 256 / (kGrid * kGrid);   // blend weight of one sample, of 256

// The samples are found by the rule of Qt's aliased rasteriser drawing the
// path at four times the resolution, which is what this fill measured
// before and what its pictures are checked against: outline points are
// rounded to 1/64 of a sample, a sample row takes an edge when the row's
// centre lies in (top, bottom] of it, the edge's x on each row is stepped
// in 16.16 fixed point, and a sample is in when its centre lies in
// (left crossing, right crossing]. Curves are flattened as that rasteriser
// flattens them, so the same polygon is sampled.

// Where a far-off point is clipped so that 26.6 and 16.16 arithmetic
// cannot overflow (in samples; the picture is never near this size).
constexpr double kCoordLimit = double(1 << 22);
constexpr int kClipMargin = 64;

struct Point26
{
    qint64 x, y;                    // 1/64 sample
};

struct Edge
{
    qint64 x;                       // 16.16 sample, plus half a sample
    qint64 step;                    // per sample row
    int top, bottom;                // sample rows, inclusive
    int winding;
};

struct Crossing
{
    int x;                          // first sample column right of it
    int winding;
};

// Kept between calls: a frame fills many small shapes, each would
// otherwise allocate its own.
struct Scratch
{
    std::vector<QPointF> points;
    std::vector<int> contourEnds;   // one past each contour's last point
    std::vector<QPointF> clipped, clipTemp;
    std::vector<Point26> fixed;
    std::vector<Edge> edges;
    std::vector<int> active;
    std::vector<Crossing> crossings;
    std::vector<quint64> changes;   // bit per pixel of a row: the coverage may change there
    std::vector<int> part;          // per pixel: samples of the spans that start or end in it
    std::vector<int> runs;          // per pixel: change of the whole-pixel count
};

// The length scale the rasteriser divides its flatness by.
double flatteningScale(const QTransform &t)
{
    const QTransform::TransformationType type = t.type();
    if (type <= QTransform::TxTranslate)
        return 1;
    if (type == QTransform::TxScale)
        return std::max(std::abs(t.m11()), std::abs(t.m22()));
    const double columnX = t.m11() * t.m11() + t.m21() * t.m21();
    const double columnY = t.m12() * t.m12() + t.m22() * t.m22();
    const double rowX = t.m11() * t.m11() + t.m12() * t.m12();
    const double rowY = t.m21() * t.m21() + t.m22() * t.m22();
    if (std::abs(columnX - columnY) > std::abs(rowX - rowY))
        return std::sqrt(std::max(columnX, columnY));
    return std::sqrt(std::max(rowX, rowY));
}

// Splits a cubic by halves until both control points lie near the chord
// (measured against the chord's Manhattan length), nine levels at most,
// appending the end point of every flat piece.
void flattenCubic(QPointF p1, QPointF p2, QPointF p3, QPointF p4, double threshold,
                  std::vector<QPointF> &out)
{
    struct Cubic
    {
        double x1, y1, x2, y2, x3, y3, x4, y4;
    };
    Cubic stack[10];
    int levels[10];
    stack[0] = {p1.x(), p1.y(), p2.x(), p2.y(), p3.x(), p3.y(), p4.x(), p4.y()};
    levels[0] = 9;
    int top = 0;
    while (top >= 0) {
        Cubic &b = stack[top];
        const double dy = b.y4 - b.y1;
        const double dx = b.x4 - b.x1;
        double length = std::abs(dx) + std::abs(dy);
        double distance;
        if (length > 1.) {
            distance = std::abs(dx * (b.y1 - b.y2) - dy * (b.x1 - b.x2))
                + std::abs(dx * (b.y1 - b.y3) - dy * (b.x1 - b.x3));
        } else {
            distance = std::abs(b.x1 - b.x2) + std::abs(b.y1 - b.y2) + std::abs(b.x1 - b.x3)
                + std::abs(b.y1 - b.y3);
            length = 1.;
        }
        if (distance < threshold * length || levels[top] == 0) {
            out.emplace_back(b.x4, b.y4);
            --top;
            continue;
        }
        // The first half goes on top of the stack, the second stays below.
        Cubic &first = stack[top + 1];
        const double cx = (b.x2 + b.x3) * .5;
        const double cy = (b.y2 + b.y3) * .5;
        first.x1 = b.x1;
        first.y1 = b.y1;
        first.x2 = (b.x1 + b.x2) * .5;
        first.y2 = (b.y1 + b.y2) * .5;
        b.x3 = (b.x3 + b.x4) * .5;
        b.y3 = (b.y3 + b.y4) * .5;
        first.x3 = (first.x2 + cx) * .5;
        first.y3 = (first.y2 + cy) * .5;
        b.x2 = (b.x3 + cx) * .5;
        b.y2 = (b.y3 + cy) * .5;
        first.x4 = b.x1 = (first.x3 + b.x2) * .5;
        first.y4 = b.y1 = (first.y3 + b.y2) * .5;
        levels[top + 1] = --levels[top];
        ++top;
    }
}

// The path as closed polygons in its own coordinates.
void flattenPath(const QPainterPath &path, double threshold, Scratch &s)
{
    s.points.clear();
    s.contourEnds.clear();
    size_t start = 0;
    auto close = [&] {
        if (s.points.size() > start) {
            if (s.points.back() != s.points[start])
                s.points.push_back(s.points[start]);
            s.contourEnds.push_back(int(s.points.size()));
        }
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (i == count - 1)
                break;
            close();
            start = s.points.size();
            s.points.emplace_back(e.x, e.y);
            break;
        case QPainterPath::LineToElement:
            s.points.emplace_back(e.x, e.y);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < count && !s.points.empty())
                flattenCubic(s.points.back(), e, path.elementAt(i + 1), path.elementAt(i + 2), threshold, s.points);
            i += 2;
            break;
        default:
            break;
        }
    }
    close();
}

// One Sutherland-Hodgman pass against the line where x (or y, when
// `vertical` is false) equals `at`, keeping the side below it or above it.
// The pieces added run along the line, so every point strictly on the
// kept side keeps its winding.
void clipPolygon(const std::vector<QPointF> &in, std::vector<QPointF> &out, bool vertical, double at, bool keepBelow)
{
    out.clear();
    auto along = [vertical](QPointF p) { return vertical ? p.x() : p.y(); };
    auto kept = [&](QPointF p) { return keepBelow ? along(p) <= at : along(p) >= at; };
    if (in.empty())
        return;
    QPointF previous = in.back();
    for (const QPointF &p : in) {
        if (kept(p) != kept(previous)) {
            QPointF cut = previous + (p - previous) * ((at - along(previous)) / (along(p) - along(previous)));
            (vertical ? cut.rx() : cut.ry()) = at;
            out.push_back(cut);
        }
        if (kept(p))
            out.push_back(p);
        previous = p;
    }
    if (!out.empty())
        out.push_back(out.front());
}

// Maps one contour to samples and rounds it to 1/64 sample.
void toFixed(const QPointF *points, int count, const QTransform &toSamples, const QRectF &clip, Scratch &s)
{
    bool far = false;
    s.fixed.clear();
    s.clipped.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QPointF p = toSamples.map(points[i]);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return;                     // nothing sound to draw of it
        far = far || std::abs(p.x()) > kCoordLimit || std::abs(p.y()) > kCoordLimit;
        s.clipped[size_t(i)] = p;
    }
    if (far) {
        clipPolygon(s.clipped, s.clipTemp, true, clip.left(), false);
        clipPolygon(s.clipTemp, s.clipped, true, clip.right(), true);
        clipPolygon(s.clipped, s.clipTemp, false, clip.top(), false);
        clipPolygon(s.clipTemp, s.clipped, false, clip.bottom(), true);
    }
    for (const QPointF &p : s.clipped)
        s.fixed.push_back({qRound(p.x() * 64), qRound(p.y() * 64)});
}

// Adds the edges of the polygon in `s.fixed` that cross a sample row's
// centre between rows 0 and `lastRow`.
void addEdges(Scratch &s, int lastRow, qint64 rightFP)
{
    for (size_t i = 0; i + 1 < s.fixed.size(); ++i) {
        Point26 a = s.fixed[i];
        Point26 b = s.fixed[i + 1];
        int winding = 1;
        if (a.y > b.y) {
            std::swap(a, b);
            winding = -1;
        }
        const int top = int(std::max<qint64>(0, (a.y + 32) >> 6));
        const int bottom = int(std::min<qint64>(lastRow, (b.y - 32) >> 6));
        if (top > bottom)
            continue;
        const qint64 aFP = 32768 + a.x * 1024;
        if (a.x == b.x) {
            s.edges.push_back({std::clamp<qint64>(aFP, 0, rightFP), 0, top, bottom, winding});
            continue;
        }
        const double slope = double(b.x - a.x) / double(b.y - a.y);
        const qint64 step = qint64(slope * 65536.);
        const qint64 down = qint64(top) * 65536 + 32768 - a.y * 1024;
        qint64 x;
        if (std::abs(double(step) * double(down)) < 0x1p62)
            x = aFP + ((step * down) >> 16);
        else                            // nearly flat and far: exactness is moot
            x = aFP + qint64(std::floor(double(step) * double(down) / 65536.));
        s.edges.push_back({x, step, top, bottom, winding});
    }
}

// Players blend in 1/256 steps: a sixteenth of coverage is a `share` of
// 16 of them, and the backdrop keeps what the covered colour leaves of 256.
inline int keepOf(QRgb s, int share)
{
    return 256 - (qAlpha(s) * share + 127) / 255;
}

inline QRgb blend(QRgb s, int inside, QRgb d)
{
    const int share = inside * kShareStep;
    const int keep = keepOf(s, share);
    auto mixed = [&](int sc, int dc) { return std::min(255, (sc * share + dc * keep) >> 8); };
    return qRgba(mixed(qRed(s), qRed(d)), mixed(qGreen(s), qGreen(d)), mixed(qBlue(s), qBlue(d)),
                 mixed(qAlpha(s), qAlpha(d)));
}

// The same blend on all four channels at once, each in a 16-bit lane.
// While no channel of the colour exceeds its alpha, as in every
// premultiplied colour, a lane never passes 255 * 256 + 127: nothing
// carries into the next lane and no channel reaches the clamp at 255.
constexpr quint64 kLanes = 0x00ff00ff00ff00ffULL;

inline bool premultiplied(QRgb c)
{
    const int a = qAlpha(c);
    return qRed(c) <= a && qGreen(c) <= a && qBlue(c) <= a;
}

inline quint64 spread(QRgb c)
{
    quint64 v = c;
    v = (v | (v << 16)) & 0x0000ffff0000ffffULL;
    return (v | (v << 8)) & kLanes;
}

inline QRgb blendLanes(quint64 lanes, int share, int keep, QRgb d)
{
    quint64 v = ((lanes * quint64(share) + spread(d) * quint64(keep)) >> 8) & kLanes;
    v = (v | (v >> 8)) & 0x0000ffff0000ffffULL;
    return QRgb(v | (v >> 16));
}

// One pixel of a colours picture over the backdrop.
inline void blendPixel(QRgb s, int inside, QRgb &d)
{
    if (qAlpha(s) == 0)
        return;
    if (inside == kGrid * kGrid && qAlpha(s) == 255)
        d = s;
    else if (premultiplied(s))
        d = blendLanes(spread(s), inside * kShareStep, keepOf(s, inside * kShareStep), d);
    else
        d = blend(s, inside, d);
}

// Copies the leading pixels of [x, end) that are opaque, as fully covered
// pixels take them; returns where it stopped.
inline int copyOpaque(const QRgb *src, QRgb *dst, int x, int end)
{
#ifdef __SSE2__
    const __m128i opaque = _mm_set1_epi32(int(0xff000000u));
    for (; x + 4 <= end; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(p, opaque), opaque)) != 0xffff)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), p);
    }
#endif
    for (; x < end && qAlpha(src[x]) == 255; ++x)
        dst[x] = src[x];
    return x;
}

// blendLanes() over [x, end), four pixels at a time in 16-bit lanes: the
// sums stay below 65536 for the reason given above, so the bytes are
// blendLanes()'s.
inline void blendRunLanes(QRgb *dst, int x, int end, QRgb color, quint64 lanes, int share, int keep)
{
#ifdef __SSE2__
    if (end - x >= 4) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i c = _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(int(color)), zero),
                                          _mm_set1_epi16(short(share)));
        const __m128i k = _mm_set1_epi16(short(keep));
        for (; x + 4 <= end; x += 4) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + x));
            const __m128i lo = _mm_srli_epi16(_mm_add_epi16(c, _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), k)), 8);
            const __m128i hi = _mm_srli_epi16(_mm_add_epi16(c, _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), k)), 8);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), _mm_packus_epi16(lo, hi));
        }
    }
#endif
    for (; x < end; ++x)
        dst[x] = blendLanes(lanes, share, keep, dst[x]);
}

// Fully covered pixels of an opaque colour, four at a time: the compiler
// leaves a plain fill loop one pixel at a time.
inline void fillOpaque(QRgb *dst, int x, int end, QRgb color)
{
#ifdef __SSE2__
    const __m128i c = _mm_set1_epi32(int(color));
    for (; x + 4 <= end; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), c);
#endif
    for (; x < end; ++x)
        dst[x] = color;
}

} // namespace

bool CoverageFill::fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const std::function<void(QPainter &, const QRectF &)> &paint)
{
    return draw(painter, path, toDevice, &paint, nullptr, 0);
}

bool CoverageFill::fillWithPicture(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                                   const Picture &picture)
{
    return draw(painter, path, toDevice, nullptr, &picture, 0);
}

bool CoverageFill::fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const QColor &color)
{
    QColor faded = color;
    faded.setAlphaF(color.alphaF() * painter.opacity());
    return draw(painter, path, toDevice, nullptr, nullptr, qPremultiply(faded.rgba()));
}

bool CoverageFill::draw(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const std::function<void(QPainter &, const QRectF &)> *paint, const Picture *picture,
                        QRgb color)
{
    auto *image = dynamic_cast<QImage *>(painter.device());
    if (!image || image->format() != QImage::Format_ARGB32_Premultiplied || image->devicePixelRatio() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || toDevice.type() == QTransform::TxProject)
        return false;
    QRect area = image->rect();
    if (painter.hasClipping()) {
        // Qt builds the clip region from polygons under a rotating or
        // shearing painter, and can leak doing so; such clips, and those
        // that are not one rectangle, are left to Qt's own drawing.
        QRect clip;
        if (!clipPixels(painter, &clip))
            return false;
        area &= clip;
    }
    const QRectF twips = path.controlPointRect();
    const QRect bounds = toDevice.mapRect(twips).toAlignedRect() & area;
    if (bounds.isEmpty())
        return true;
    // No size limit: the samples take a row at a time, and a fill of any
    // size must look the same whether drawn whole or in parts, as a frame
    // drawn again only where it changed draws it.
    if (!paint && !picture && qAlpha(color) == 0)
        return true;
    const QTransform shift = QTransform::fromTranslate(-bounds.x(), -bounds.y());

    // The colours over the whole area, as if fully covered, and the device
    // pixel of their top left.
    QImage colours;
    QPoint coloursAt = bounds.topLeft();
    bool rowColours = false;
    if (picture) {
        if (painter.opacity() != 1.0)
            return false;
        colours = (*picture)(bounds, &coloursAt);
        rowColours = colours.width() == 1;
        const QRect held(rowColours ? bounds.x() : coloursAt.x(), coloursAt.y(),
                         rowColours ? bounds.width() : colours.width(), colours.height());
        if (colours.isNull() || colours.format() != QImage::Format_ARGB32_Premultiplied || !held.contains(bounds))
            return false;
    } else if (paint) {
        colours = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        if (colours.isNull())
            return false;
        colours.fill(Qt::transparent);
        bool invertible = false;
        const QTransform back = (toDevice * shift).inverted(&invertible);
        if (!invertible)
            return true;                // squeezed flat: nothing is covered
        QPainter cp(&colours);
        cp.setRenderHint(QPainter::Antialiasing, false);
        cp.setRenderHint(QPainter::SmoothPixmapTransform, painter.testRenderHint(QPainter::SmoothPixmapTransform));
        cp.setOpacity(painter.opacity());
        cp.setTransform(toDevice * shift);
        (*paint)(cp, back.mapRect(QRectF(colours.rect()).adjusted(-1, -1, 1, 1)));
    }

    // Taken only after `paint` has run: a colours picture may itself be
    // drawn with a coverage fill.
    thread_local Scratch s;
    const int width = bounds.width();
    const int sampleWidth = width * kGrid;
    const int lastRow = bounds.height() * kGrid - 1;
    const qint64 rightFP = qint64(sampleWidth) << 16;
    const QTransform toSamples = toDevice * shift * QTransform::fromScale(kGrid, kGrid);
    const double scale = flatteningScale(toSamples);
    flattenPath(path, scale == 0 ? 0.25 : 0.25 / scale, s);
    const QRectF clip(-kClipMargin, -kClipMargin, sampleWidth + 2 * kClipMargin, lastRow + 1 + 2 * kClipMargin);
    s.edges.clear();
    for (size_t c = 0, first = 0; c < s.contourEnds.size(); first = size_t(s.contourEnds[c]), ++c) {
        toFixed(s.points.data() + first, s.contourEnds[c] - int(first), toSamples, clip, s);
        addEdges(s, lastRow, rightFP);
    }
    if (s.edges.empty())
        return true;
    std::sort(s.edges.begin(), s.edges.end(), [](const Edge &a, const Edge &b) { return a.top < b.top; });

    s.part.assign(size_t(width) + 1, 0);
    s.runs.assign(size_t(width) + 1, 0);
    s.changes.assign(size_t(width) / 64 + 1, 0);
    auto change = [](int x) { s.changes[size_t(x) >> 6] |= quint64(1) << (x & 63); };
    // Pixels x and x + 1.
    auto changeTwo = [change](int x) {
        if ((x & 63) != 63)
            s.changes[size_t(x) >> 6] |= quint64(3) << (x & 63);
        else {
            change(x);
            change(x + 1);
        }
    };
    s.active.clear();
    const int mask = path.fillRule() == Qt::WindingFill ? ~0 : 1;
    bool lanesExact = false;
    quint64 colorLanes = 0;
    int keep[kGrid * kGrid + 1];
    auto useColor = [&](QRgb c) {
        color = c;
        lanesExact = premultiplied(color);
        colorLanes = spread(color);
        for (int inside = 0; inside <= kGrid * kGrid; ++inside)
            keep[inside] = keepOf(color, inside * kShareStep);
    };
    useColor(color);
    size_t next = 0;
    int row = s.edges.front().top;
    while (row <= lastRow && (next < s.edges.size() || !s.active.empty())) {
        if (s.active.empty() && s.edges[next].top > row)
            row = s.edges[next].top;
        const int pixelRow = row / kGrid;
        int minPixel = width, maxPixel = -1;
        for (; row < (pixelRow + 1) * kGrid && row <= lastRow; ++row) {
            for (; next < s.edges.size() && s.edges[next].top == row; ++next)
                s.active.push_back(int(next));
            s.crossings.clear();
            for (size_t i = 0; i < s.active.size();) {
                Edge &e = s.edges[size_t(s.active[i])];
                s.crossings.push_back({int(std::clamp<qint64>(e.x >> 16, 0, sampleWidth)), e.winding});
                if (e.bottom == row) {
                    s.active[i] = s.active.back();
                    s.active.pop_back();
                } else {
                    e.x += e.step;
                    ++i;
                }
            }
            // A row crosses few edges: sorted by insertion. Crossings at
            // one x may come in any order; no sample lies between them.
            for (size_t i = 1; i < s.crossings.size(); ++i) {
                const Crossing c = s.crossings[i];
                size_t j = i;
                for (; j > 0 && s.crossings[j - 1].x > c.x; --j)
                    s.crossings[j] = s.crossings[j - 1];
                s.crossings[j] = c;
            }
            // Samples from one crossing up to the next are inside while
            // the winding so far passes the fill rule.
            int winding = 0;
            for (size_t i = 0; i + 1 < s.crossings.size(); ++i) {
                winding += s.crossings[i].winding;
                const int from = s.crossings[i].x;
                const int to = s.crossings[i + 1].x;
                if (!(winding & mask) || from == to)
                    continue;
                const int first = from / kGrid;
                const int last = (to - 1) / kGrid;
                minPixel = std::min(minPixel, first);
                maxPixel = std::max(maxPixel, last);
                s.part[size_t(first)] += std::min(to, (first + 1) * kGrid) - from;
                changeTwo(first);
                if (last > first) {
                    s.runs[size_t(first) + 1] += kGrid;
                    s.runs[size_t(last)] -= kGrid;
                    s.part[size_t(last)] += to - last * kGrid;
                    change(last);
                    change(last + 1);
                }
            }
        }
        if (maxPixel < 0)
            continue;

        const QRgb *src = colours.isNull() ? nullptr
                        : reinterpret_cast<const QRgb *>(colours.constScanLine(bounds.y() + pixelRow - coloursAt.y()))
                            + (rowColours ? 0 : bounds.x() - coloursAt.x());
        if (rowColours) {
            // The row's one colour, blended as a plain colour is.
            if (*src != color)
                useColor(*src);
            src = nullptr;
        }
        QRgb *dst = reinterpret_cast<QRgb *>(image->scanLine(bounds.y() + pixelRow)) + bounds.x();
        auto blendRun = [&](int x, int end, int inside) {
            if (inside == 0)
                return;                     // a gap between spans
            if (src) {
                for (int i = x; i < end; ++i) {
                    if (inside == kGrid * kGrid && (i = copyOpaque(src, dst, i, end)) == end)
                        break;
                    blendPixel(src[i], inside, dst[i]);
                }
            } else if (inside == kGrid * kGrid && qAlpha(color) == 255) {
                fillOpaque(dst, x, end, color);
            } else if (lanesExact) {
                blendRunLanes(dst, x, end, color, colorLanes, inside * kShareStep, keep[inside]);
            } else {
                for (int i = x; i < end; ++i)
                    dst[i] = blend(color, inside, dst[i]);
            }
        };
        // Between two changes every pixel has the same coverage; a pixel
        // where a span starts or ends is a change of its own. The changes
        // come out of their bits in order, and the bits are cleared for the
        // next row. The last change ends the row's spans: nothing was added
        // to it.
        int run = 0, from = -1;
        for (int w = minPixel >> 6, lastWord = (maxPixel + 1) >> 6; w <= lastWord; ++w) {
            quint64 bits = s.changes[size_t(w)];
            s.changes[size_t(w)] = 0;
            for (; bits; bits &= bits - 1) {
                const int x = w * 64 + std::countr_zero(bits);
                if (from >= 0) {
                    run += s.runs[size_t(from)];
                    blendRun(from, x, run + s.part[size_t(from)]);
                    s.runs[size_t(from)] = 0;
                    s.part[size_t(from)] = 0;
                }
                from = x;
            }
        }
    }
    return true;
}

} // namespace swf
