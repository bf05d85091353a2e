#include "RasterCache.h"

#include "ShapeDrawing.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <climits>
#include <cmath>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace swf::rastercache {

namespace {

constexpr int PhaseSteps = 4;               // per pixel, on each axis
constexpr double LinearSteps = 1 << 20;     // per device pixel per twip
constexpr std::size_t SeenLimit = 8192;

struct Key
{
    const void *owner = nullptr;
    double variant = 0;
    int layer = -1;                  // one fill or stroke alone, or all (-1)
    std::int64_t linear[4] = {};
    int phaseX = 0, phaseY = 0;
    ColorTransform cx;
    bool antialias = true;

    bool operator==(const Key &o) const
    {
        return owner == o.owner && variant == o.variant && layer == o.layer
            && std::memcmp(linear, o.linear, sizeof linear) == 0 && phaseX == o.phaseX
            && phaseY == o.phaseY && antialias == o.antialias
            && std::memcmp(&cx, &o.cx, sizeof cx) == 0;
    }
};

struct KeyHash
{
    std::size_t operator()(const Key &k) const
    {
        std::size_t h = std::hash<const void *>()(k.owner);
        auto mix = [&h](std::uint64_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
        std::uint64_t bits;
        std::memcpy(&bits, &k.variant, sizeof bits);
        mix(bits);
        mix(std::uint64_t(std::uint32_t(k.layer)));
        for (std::int64_t v : k.linear)
            mix(std::uint64_t(v));
        mix(std::uint64_t(k.phaseX) << 8 | std::uint64_t(k.phaseY) << 1 | k.antialias);
        const int *c = &k.cx.rMult;
        for (int i = 0; i < 8; ++i)
            mix(std::uint64_t(std::uint32_t(c[i])));
        return h;
    }
};

struct Entry
{
    Key key;
    QImage image;
    QPoint origin;                   // of the picture, relative to the whole-pixel translation
};

struct Cache
{
    std::mutex mutex;
    std::list<Entry> entries;        // most recently used first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index;
    std::unordered_set<Key, KeyHash> seen;
    struct Recent
    {
        std::size_t hash = 0;        // of the owner's last key
        bool changing = false;       // that key differed from the one before
    };
    std::map<std::pair<const void *, int>, Recent> recent;
    std::int64_t budget = std::int64_t(64) << 20;
    bool enabled = true;
    Stats stats;

    void evictDownTo(std::int64_t bytes)
    {
        while (stats.bytes > bytes && !entries.empty()) {
            Entry &last = entries.back();
            stats.bytes -= last.image.sizeInBytes();
            index.erase(last.key);
            entries.pop_back();
        }
    }
};

Cache &cache()
{
    // Never destroyed: characters of a movie kept to the end of the
    // program still forget their pictures after static destructors ran.
    static Cache *c = new Cache;
    return *c;
}

std::int64_t quantised(double v, double steps)
{
    return std::int64_t(std::llround(v * steps));
}

} // namespace

namespace {

void blit(QPainter &painter, const QPoint &at, const QImage &image, double opacity)
{
    painter.save();
    painter.resetTransform();
    painter.setOpacity(opacity);
    painter.drawImage(at, image);
    painter.restore();
}

// Draws layers [first, end) of `drawing` for `key` (whose colour transform
// is what the picture is drawn with, `opacity` being applied at the blit).
void drawPiece(const ShapeDrawing &drawing, const RenderContext &context, const Key &key,
               const QTransform &toDevice, const QPoint &whole, int first, int end, double opacity)
{
    Cache &c = cache();
    QImage hit;
    QPoint at;
    bool admit = false;
    {
        std::lock_guard lock(c.mutex);
        // A new key for an owner that held still until now (or is new) is
        // likely to stay: it is drawn into the cache at once. One that keeps
        // changing (a tween, a morph between ratios) must be seen twice.
        auto [recent, fresh] = c.recent.try_emplace({key.owner, key.layer});
        const std::size_t h = KeyHash()(key);
        const bool settled = fresh || !recent->second.changing;
        recent->second.changing = !fresh && recent->second.hash != h;
        recent->second.hash = h;
        if (!c.enabled) {
        } else if (auto it = c.index.find(key); it != c.index.end()) {
            c.entries.splice(c.entries.begin(), c.entries, it->second);
            // A shared copy: eviction by another thread leaves it alive.
            hit = it->second->image;
            at = whole + it->second->origin;
            ++c.stats.hits;
        } else if (settled || c.seen.count(key)) {
            c.seen.erase(key);
            admit = true;
        } else {
            if (c.seen.size() >= SeenLimit)
                c.seen.clear();
            c.seen.insert(key);
        }
    }
    QPainter &painter = *context.painter;
    if (!hit.isNull()) {
        blit(painter, at, hit, opacity);
        return;
    }
    // Drawn at the translation's quantised phase, in a picture just big
    // enough; pictures bigger than the target are not worth their memory.
    const QTransform local(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(),
                           double(key.phaseX) / PhaseSteps, double(key.phaseY) / PhaseSteps);
    const QRectF bounds = admit ? drawing.deviceBounds(local, first, end) : QRectF();
    // Far outside any target (or not a number): the whole-pixel rectangle
    // would not fit an int.
    const bool sane = QRectF(-1e6, -1e6, 2e6, 2e6).contains(bounds);
    const QRect area = sane ? bounds.toAlignedRect() : QRect();
    const qint64 pixels = qint64(area.width()) * area.height();
    const QPaintDevice *device = painter.device();
    if (!admit || area.isEmpty() || pixels > qint64(device->width()) * device->height()
        || pixels * 4 > c.budget / 4) {
        drawing.drawLayers(context, first, end);
        return;
    }
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHints(painter.renderHints());
        RenderContext inner = context;
        inner.painter = &p;
        inner.matrix = local * QTransform::fromTranslate(-area.x(), -area.y());
        inner.cxform = key.cx;
        drawing.drawLayers(inner, first, end);
    }
    blit(painter, whole + area.topLeft(), image, opacity);

    std::lock_guard lock(c.mutex);
    if (!c.enabled || c.index.count(key))
        return;
    c.entries.push_front(Entry{key, image, area.topLeft()});
    c.index.emplace(key, c.entries.begin());
    c.stats.bytes += image.sizeInBytes();
    ++c.stats.stored;
    c.evictDownTo(c.budget);
}

} // namespace

void draw(const ShapeDrawing &drawing, const RenderContext &context, const void *owner, double variant)
{
    if (!context.painter || drawing.isEmpty())
        return;
    QPainter &painter = *context.painter;
    const QPaintDevice *device = painter.device();
    const QTransform toDevice = context.matrix * painter.deviceTransform();
    // The blit must land on the device's pixels one to one, and composite
    // as each layer of the shape would.
    const double tx = toDevice.dx(), ty = toDevice.dy();
    if (!device || device->devicePixelRatioF() != 1.0 || painter.opacity() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || toDevice.type() > QTransform::TxShear || !std::isfinite(tx) || !std::isfinite(ty)
        || std::abs(tx) > 1e6 || std::abs(ty) > 1e6) {
        drawing.draw(context);
        return;
    }
    Key key;
    key.owner = owner;
    key.variant = variant;
    key.linear[0] = quantised(toDevice.m11(), LinearSteps);
    key.linear[1] = quantised(toDevice.m12(), LinearSteps);
    key.linear[2] = quantised(toDevice.m21(), LinearSteps);
    key.linear[3] = quantised(toDevice.m22(), LinearSteps);
    const std::int64_t qx = quantised(tx, PhaseSteps), qy = quantised(ty, PhaseSteps);
    auto floorDiv = [](std::int64_t a) { return a >= 0 ? a / PhaseSteps : -((-a + PhaseSteps - 1) / PhaseSteps); };
    const QPoint whole(int(floorDiv(qx)), int(floorDiv(qy)));
    key.phaseX = int(qx - std::int64_t(whole.x()) * PhaseSteps);
    key.phaseY = int(qy - std::int64_t(whole.y()) * PhaseSteps);
    key.cx = context.cxform;
    key.antialias = context.antialias;

    // A fade (alpha scaled, nothing added) gives each fill and stroke the
    // same share of its alpha, which is what the blit's opacity does to a
    // picture of that fill or stroke alone: such pictures serve every step
    // of the fade. A picture of the whole shape would not, where strokes
    // overlap fills.
    const ColorTransform &cx = context.cxform;
    if (cx.aAdd != 0 || cx.aMult >= 256 || cx.aMult < 0) {
        key.layer = -1;
        drawPiece(drawing, context, key, toDevice, whole, 0, drawing.layerCount(), 1.0);
        return;
    }
    if (cx.aMult == 0)
        return;                      // every colour fully transparent
    key.cx.aMult = 256;
    const double opacity = cx.aMult / 256.0;
    for (int i = 0; i < drawing.layerCount(); ++i) {
        key.layer = i;
        drawPiece(drawing, context, key, toDevice, whole, i, i + 1, opacity);
    }
}

void forget(const void *owner)
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    for (auto it = c.entries.begin(); it != c.entries.end();) {
        if (it->key.owner == owner) {
            c.stats.bytes -= it->image.sizeInBytes();
            c.index.erase(it->key);
            it = c.entries.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = c.seen.begin(); it != c.seen.end();)
        it = it->owner == owner ? c.seen.erase(it) : std::next(it);
    for (auto it = c.recent.lower_bound({owner, INT_MIN}); it != c.recent.end() && it->first.first == owner;)
        it = c.recent.erase(it);
}

Stats stats()
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    return c.stats;
}

void setEnabled(bool on)
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    c.enabled = on;
    if (!on) {
        c.evictDownTo(0);
        c.seen.clear();
        c.recent.clear();
    }
}

void setBudget(std::int64_t bytes)
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    c.budget = bytes;
    c.evictDownTo(bytes);
}

} // namespace swf::rastercache
