#include "render/FrameDamage.h"

#include "display/Clip.h"
#include "render/PixelRect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf {

namespace {

// More rectangles than this are merged: each one costs a walk of the
// display list when drawn.
constexpr int MaxRects = 24;
// Past this many changes, their common bounds are drawn without sorting
// out which of them lie apart.
constexpr std::size_t MaxSeparate = 64;

std::uint64_t mix(std::uint64_t h, std::uint64_t v)
{
    // 64-bit finaliser of splitmix: every input bit reaches every output bit.
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 27;
    return h;
}

std::uint64_t mix(std::uint64_t h, double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return mix(h, bits);
}

std::uint64_t mix(std::uint64_t h, const void *p)
{
    return mix(h, std::uint64_t(reinterpret_cast<std::uintptr_t>(p)));
}

std::uint64_t mix(std::uint64_t h, const Matrix &m)
{
    for (double v : {m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), m.dx(), m.dy(), m.m33()})
        h = mix(h, v);
    return h;
}

std::uint64_t mix(std::uint64_t h, const ColorTransform &c)
{
    for (int v : {c.rMult, c.gMult, c.bMult, c.aMult, c.rAdd, c.gAdd, c.bAdd, c.aAdd})
        h = mix(h, std::uint64_t(std::uint32_t(v)));
    return h;
}

qint64 areaOf(const QRect &r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

// Walks the display tree as the renderer draws it and lists what draws.
class Collector
{
public:
    Collector(const Matrix &toDevice, const QRect &area)
        : m_limit(area), m_stageScale(std::sqrt(std::abs(toDevice.determinant())) * 20)
    {
    }

    std::vector<FrameDamage::Item> items;
    bool everything = false;         // something's reach is unknown

    void list(const Clip &clip, const Matrix &m, const ColorTransform &cx, std::uint64_t path,
              std::uint64_t scope, double grow, int nesting)
    {
        if (nesting > ClipWorld::MaxNesting) {
            everything = true;
            return;
        }
        // Masks open as the renderer opens them: each covers the depths up
        // to its clip depth, the innermost closing first.
        struct Mask
        {
            int clipDepth;
            std::uint64_t scope;
        };
        std::vector<Mask> masks;
        for (const auto &[depth, object] : clip.objects()) {
            while (!masks.empty() && depth > masks.back().clipDepth)
                masks.pop_back();
            const std::uint64_t here = masks.empty() ? scope : masks.back().scope;
            const std::uint64_t key = mix(path, std::uint64_t(std::uint32_t(depth)));
            for (std::size_t i = 0; i < object.beneath.size(); ++i) {
                if (object.beneath[i].clipDepth == 0)
                    node(object.beneath[i], m, cx, mix(key, std::uint64_t(i + 1)), here, grow, nesting);
            }
            if (object.clipDepth > 0) {
                mask(object, object.matrix * m, key, here, grow);
                // What the mask covers is drawn differently when another
                // mask, or this one over other depths, takes over.
                masks.push_back({object.clipDepth, mix(mix(here, key), std::uint64_t(object.clipDepth))});
                continue;
            }
            node(object, m, cx, mix(key, std::uint64_t(0)), here, grow, nesting);
        }
    }

private:
    void node(const DisplayObject &object, const Matrix &parent, const ColorTransform &cx,
              std::uint64_t key, std::uint64_t scope, double grow, int nesting)
    {
        if (!object.visible)
            return;
        Matrix m = object.matrix * parent;
        const bool filtered = object.filters && !object.filters->empty();
        if (object.cacheAsBitmap || filtered)
            // As the renderer places cached pictures: on whole pixels.
            m.setMatrix(m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), std::floor(m.dx()),
                        std::floor(m.dy()), m.m33());
        const ColorTransform combined = cx.combined(object.cxform);
        const int mode = object.blendMode > 14 ? 0 : object.blendMode;
        if (mode > 1 || filtered) {
            // Drawn as one picture: a part that changes changes the picture
            // as far as the filters carry it.
            scope = mix(mix(scope, std::uint64_t(mode)), object.filters.get());
            if (filtered) {
                grow += 2;
                for (const Filter &f : *object.filters)
                    grow += std::ceil(f.reach(m_stageScale));
            }
        }
        if (object.clip) {
            list(*object.clip, m, combined, key, scope, grow, nesting + 1);
            return;
        }
        if (!object.character)
            return;
        const double ratio = object.ratio / 65535.0;
        std::uint64_t look = mix(mix(mix(mix(scope, object.character.get()), m), combined),
                                 std::uint64_t(std::uint32_t(object.ratio)));
        add(key, look, object.character->paintBounds(m, ratio), grow);
    }

    void mask(const DisplayObject &object, const Matrix &m, std::uint64_t key, std::uint64_t scope,
              double grow)
    {
        std::uint64_t look = mix(scope, std::uint64_t(object.clipDepth));
        QRectF bounds;
        maskPieces(object, m, look, bounds, 0);
        add(key, look, bounds, grow);
    }

    // The renderer cuts with every shape inside a mask, visible or not,
    // whatever its colours.
    void maskPieces(const DisplayObject &object, const Matrix &m, std::uint64_t &look, QRectF &bounds,
                    int nesting)
    {
        if (nesting > ClipWorld::MaxNesting) {
            everything = true;
            return;
        }
        if (object.clip) {
            for (const auto &[depth, child] : object.clip->objects()) {
                look = mix(look, std::uint64_t(std::uint32_t(depth)));
                for (const DisplayObject &under : child.beneath)
                    maskPieces(under, under.matrix * m, look, bounds, nesting + 1);
                maskPieces(child, child.matrix * m, look, bounds, nesting + 1);
            }
        } else if (object.character) {
            look = mix(mix(mix(look, object.character.get()), m), std::uint64_t(std::uint32_t(object.ratio)));
            bounds |= object.character->paintBounds(m, object.ratio / 65535.0);
        }
    }

    void add(std::uint64_t key, std::uint64_t look, const QRectF &bounds, double grow)
    {
        if (bounds.isEmpty())
            return;
        if (!isFinite(bounds) || !std::isfinite(grow)) {
            everything = true;
            return;
        }
        const QRect pixels = pixelsWithin(bounds, grow, m_limit);
        if (pixels.isEmpty())
            return;
        items.push_back({key, look, pixels});
    }

    QRect m_limit;
    double m_stageScale;
};

// Joins rectangles that overlap, or lie so close that drawing their common
// bounds costs little more than drawing both.
void joinNeighbours(std::vector<QRect> &rects)
{
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const QRect both = rects[i] | rects[j];
            if (rects[i].intersects(rects[j])
                || areaOf(both) * 4 <= (areaOf(rects[i]) + areaOf(rects[j])) * 5) {
                rects[i] = both;
                rects.erase(rects.begin() + std::ptrdiff_t(j));
                j = i;               // the grown one may reach others now
            }
        }
    }
}

// A few rectangles covering `rects`: neighbours joined, then the pairs
// that waste least joined until few are left.
QVector<QRect> merged(std::vector<QRect> rects)
{
    if (rects.size() > MaxSeparate) {
        QRect all;
        for (const QRect &r : rects)
            all |= r;
        return {all};
    }
    joinNeighbours(rects);
    while (rects.size() > MaxRects) {
        std::size_t bestI = 0, bestJ = 1;
        qint64 bestCost = -1;
        for (std::size_t i = 0; i < rects.size(); ++i) {
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                const qint64 cost = areaOf(rects[i] | rects[j]) - areaOf(rects[i]) - areaOf(rects[j]);
                if (bestCost < 0 || cost < bestCost) {
                    bestCost = cost;
                    bestI = i;
                    bestJ = j;
                }
            }
        }
        rects[bestI] |= rects[bestJ];
        rects.erase(rects.begin() + std::ptrdiff_t(bestJ));
    }
    return QVector<QRect>(rects.begin(), rects.end());
}

} // namespace

QVector<QRect> FrameDamage::update(const Clip &root, const Matrix &toDevice, const QRect &area)
{
    Collector collector(toDevice, area);
    collector.list(root, toDevice, ColorTransform(), 0, 0, 0, 0);
    std::vector<Item> items = std::move(collector.items);
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.key < b.key; });
    bool whole = collector.everything || !m_known || toDevice != m_toDevice || area != m_area;
    // Two objects under one key: a hash collision, too rare to sort out.
    for (std::size_t i = 1; i < items.size() && !whole; ++i)
        whole = items[i].key == items[i - 1].key;

    std::vector<QRect> changed;
    if (!whole) {
        std::size_t i = 0, j = 0;
        while (i < m_items.size() || j < items.size()) {
            if (j == items.size() || (i < m_items.size() && m_items[i].key < items[j].key)) {
                changed.push_back(m_items[i++].bounds);
            } else if (i == m_items.size() || items[j].key < m_items[i].key) {
                changed.push_back(items[j++].bounds);
            } else {
                const Item &was = m_items[i++], &now = items[j++];
                if (was.look != now.look || was.bounds != now.bounds) {
                    changed.push_back(was.bounds);
                    changed.push_back(now.bounds);
                }
            }
        }
    }
    m_items = std::move(items);
    m_toDevice = toDevice;
    m_area = area;
    m_known = !collector.everything;
    if (whole)
        return area.isEmpty() ? QVector<QRect>() : QVector<QRect>{area};
    return changed.empty() ? QVector<QRect>() : merged(std::move(changed));
}

void FrameDamage::reset()
{
    m_items.clear();
    m_known = false;
}

} // namespace swf
