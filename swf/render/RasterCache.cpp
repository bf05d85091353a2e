#include "render/RasterCache.h"

#include "render/PixelRect.h"
#include "render/ShapeDrawing.h"
#include "render/TintBlend.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <optional>
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

    bool operator==(const Key &o) const
    {
        return owner == o.owner && variant == o.variant && layer == o.layer
            && std::memcmp(linear, o.linear, sizeof linear) == 0 && phaseX == o.phaseX
            && phaseY == o.phaseY
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
        mix(std::uint64_t(k.phaseX) << 8 | std::uint64_t(k.phaseY));
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
        std::size_t geometry = 0;    // of that key but for the phase and colours
        bool changing = false;       // its geometry differed from the key before
    };
    std::map<std::pair<const void *, int>, Recent> recent;
    // A story's loop drawn full screen keeps about 100 MB of pictures (a
    // morph's steps among them); with less, the oldest go just before they
    // are wanted again and every loop draws them anew.
    std::int64_t budget = std::int64_t(160) << 20;
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

// The key but for the translation's phase and the colours.
std::size_t geometryHash(Key key)
{
    key.phaseX = key.phaseY = 0;
    key.cx = ColorTransform();
    return KeyHash()(key);
}

// Blits without saving the painter's whole state: the renderer's painters
// carry clips that would be copied each time. `at` is in the device's own
// pixels; on an image of a higher density the painter's transform undoes
// the density, so that the picture lands on them one to one.
void blit(QPainter &painter, const QPoint &at, const QImage &image, double opacity, const TintBlend *tint)
{
    const QTransform old = painter.transform();
    const qreal density = painter.device()->devicePixelRatioF();
    if (density == 1.0)
        painter.resetTransform();
    else
        painter.setTransform(QTransform::fromScale(1 / density, 1 / density));
    if (opacity != 1.0)
        painter.setOpacity(opacity);
    if (tint) {
        // Only the part that can show is tinted: a frame drawn again in
        // parts clips most of a large picture away.
        QRect shown(at, image.size());
        if (const QPaintDevice *device = painter.device())
            shown &= QRect(0, 0, device->width(), device->height());
        if (painter.hasClipping())
            shown &= painter.clipBoundingRect().toAlignedRect();
        if (!shown.isEmpty() && !tint->blit(painter, at, image)) {
            thread_local QImage scratch;
            tint->apply(image, shown.translated(-at), scratch);
            drawPixelForPixel(painter, shown.topLeft(), scratch, QRect(QPoint(0, 0), shown.size()));
        }
    } else {
        drawPixelForPixel(painter, at, image);
    }
    if (opacity != 1.0)
        painter.setOpacity(1.0);
    painter.setTransform(old);
}

// Keeps `image` as the picture of `key`, whose whole-pixel placement is
// `origin` away from the translation's.
void store(Cache &c, const Key &key, const QImage &image, const QPoint &origin)
{
    std::lock_guard lock(c.mutex);
    c.seen.erase(key);
    if (!c.enabled || c.index.count(key))
        return;
    c.entries.push_front(Entry{key, image, origin});
    c.index.emplace(key, c.entries.begin());
    c.stats.bytes += image.sizeInBytes();
    ++c.stats.stored;
    c.evictDownTo(c.budget);
}

// Draws layers [first, end) of `drawing` as `key` shows them. With `tint`,
// `key`'s colours are those of `plain` (the same picture drawn without the
// colour transform) after the tint; either picture serves. `opacity` is
// applied at the blit.
void drawPiece(const ShapeDrawing &drawing, const RenderContext &context, const Key &key,
               const QTransform &toDevice, const QPoint &whole, int first, int end, double opacity,
               const TintBlend *tint, const Key &plain)
{
    Cache &c = cache();
    QImage hit, hitPlain;
    QPoint at;
    bool settled = false, slid = false, held = false, seenBefore = false, enabled = true;
    {
        std::lock_guard lock(c.mutex);
        // A new key for an owner that held still until now (or is new) is
        // likely to stay: it is drawn into the cache at once. One whose
        // geometry keeps changing (a tween, a morph between ratios) must be
        // seen twice. A slide changes only the phase, of which there are
        // few; a tint changes only the colours, which are blitted.
        auto [recent, fresh] = c.recent.try_emplace({key.owner, key.layer});
        const std::size_t h = KeyHash()(key), geometry = geometryHash(key);
        settled = fresh || !recent->second.changing;
        slid = !fresh && recent->second.geometry == geometry && recent->second.hash != h;
        held = !fresh && recent->second.hash == h;
        recent->second.changing = !fresh && recent->second.geometry != geometry;
        recent->second.hash = h;
        recent->second.geometry = geometry;
        enabled = c.enabled;
        auto use = [&](std::unordered_map<Key, std::list<Entry>::iterator, KeyHash>::iterator it) {
            c.entries.splice(c.entries.begin(), c.entries, it->second);
            at = whole + it->second->origin;
            ++c.stats.hits;
            // A shared copy: eviction by another thread leaves it alive.
            return it->second->image;
        };
        if (!enabled) {
        } else if (auto it = c.index.find(key); it != c.index.end()) {
            hit = use(it);
        } else if (auto p = tint ? c.index.find(plain) : c.index.end(); p != c.index.end()) {
            // Colours that change are tinted anew each frame: one pass over
            // the picture, blended as it goes, costs about what drawing the
            // plainest fill would, and far less than a gradient or strokes.
            // (Choosing by measured times made the choice, and the frame's
            // cost, change from run to run on a busy machine.)
            hitPlain = use(p);
        } else {
            seenBefore = c.seen.count(plain) > 0;
        }
    }
    QPainter &painter = *context.painter;
    if (!hit.isNull()) {
        blit(painter, at, hit, opacity, nullptr);
        return;
    }
    if (!hitPlain.isNull()) {
        // Colours that held since the last frame are likely to stay: their
        // tinted picture is kept too.
        if (held) {
            QImage tinted(hitPlain.size(), QImage::Format_ARGB32_Premultiplied);
            tint->apply(hitPlain, tinted);
            blit(painter, at, tinted, opacity, nullptr);
            store(c, key, tinted, at - whole);
        } else {
            blit(painter, at, hitPlain, opacity, tint);
        }
        return;
    }
    if (!enabled) {
        drawing.drawLayers(context, first, end);
        return;
    }
    // Drawn at the translation's quantised phase, in a picture just big
    // enough; pictures bigger than the target are not worth their memory.
    const QTransform local(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(),
                           double(key.phaseX) / PhaseSteps, double(key.phaseY) / PhaseSteps);
    const QRectF bounds = settled || seenBefore ? drawing.deviceBounds(local, first, end) : QRectF();
    // Far outside any target (or not a number): the whole-pixel rectangle
    // would not fit an int.
    const bool sane = QRectF(-1e6, -1e6, 2e6, 2e6).contains(bounds);
    const QRect area = sane ? bounds.toAlignedRect() : QRect();
    const qint64 bytes = qint64(area.width()) * area.height() * 4;
    // A slide may need a picture for every phase: only small ones get them
    // all at once.
    const bool admit = seenBefore || (settled && (!slid || bytes * PhaseSteps * PhaseSteps <= c.budget / 4));
    const QPaintDevice *device = painter.device();
    if (!admit || area.isEmpty() || bytes > qint64(device->width()) * device->height() * 4
        || bytes > c.budget / 4) {
        if (!admit) {
            std::lock_guard lock(c.mutex);
            if (c.seen.size() >= SeenLimit)
                c.seen.clear();
            c.seen.insert(plain);
        }
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
        inner.cxform = plain.cx;
        drawing.drawLayers(inner, first, end);
    }
    blit(painter, whole + area.topLeft(), image, opacity, tint);
    store(c, plain, image, area.topLeft());
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
    // as each layer of the shape would. Without anti-aliasing, a picture
    // drawn a fraction of a pixel away would move whole edges by a pixel.
    // An image of any density qualifies: its painter's device transform
    // holds the density, so the pictures are drawn at its own pixels (other
    // devices of a higher density also hold offsets of their own).
    const double tx = toDevice.dx(), ty = toDevice.dy();
    if (!device || !context.antialias
        || (device->devicePixelRatioF() != 1.0 && device->devType() != QInternal::Image)
        || painter.opacity() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || toDevice.type() > QTransform::TxShear || !std::isfinite(tx) || !std::isfinite(ty)
        || std::abs(tx) > 1e6 || std::abs(ty) > 1e6) {
        drawing.draw(context);
        return;
    }
    // Nothing of it shows (a shape waiting off the stage to slide in):
    // neither drawn nor kept.
    QRectF visible(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        visible &= painter.deviceTransform().mapRect(painter.clipBoundingRect());
    const QRectF reach = drawing.deviceBounds(toDevice);
    if (std::isfinite(reach.width()) && std::isfinite(reach.height()) && !reach.intersects(visible))
        return;
    // A sky is drawn again as fast as its picture would be blitted, in any
    // colours: kept, it would take a picture as large as itself, made at
    // the cost of touching that much new memory.
    if (drawing.isPlainRectangle(toDevice)) {
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

    const ColorTransform &cx = context.cxform;
    if (cx.aAdd != 0 || cx.aMult > 256 || cx.aMult < 0) {
        // Alpha added shows where the shape is not; pictures carry it.
        key.cx = cx;
        key.layer = -1;
        drawPiece(drawing, context, key, toDevice, whole, 0, drawing.layerCount(), 1.0, nullptr, key);
        return;
    }
    if (cx.aMult == 0)
        return;                      // every colour fully transparent
    // Colours multiplied and added (a tint, a flash) can be applied to a
    // picture drawn without them as it is blitted, so a tint that changes
    // every frame needs no new drawing. A gradient blended in linear light
    // would come out otherwise, and so would layers whose colours the
    // transform clips, where they meet: their pictures carry the colours.
    key.cx = cx;
    key.cx.aMult = 256;
    Key plain = key;
    std::optional<TintBlend> tint;
    if (!key.cx.isIdentity() && TintBlend::keepsInRange(key.cx) && !drawing.hasLinearLightGradient()) {
        plain.cx = ColorTransform();
        tint.emplace(key.cx);
    }
    const TintBlend *blitTint = tint ? &*tint : nullptr;
    if (cx.aMult == 256) {
        key.layer = plain.layer = -1;
        drawPiece(drawing, context, key, toDevice, whole, 0, drawing.layerCount(), 1.0, blitTint, plain);
        return;
    }
    // A fade (alpha scaled, nothing added) gives each fill and stroke the
    // same share of its alpha, which is what the blit's opacity does to a
    // picture of that fill or stroke alone: such pictures serve every step
    // of the fade. A picture of the whole shape would not, where strokes
    // overlap fills.
    const double opacity = cx.aMult / 256.0;
    for (int i = 0; i < drawing.layerCount(); ++i) {
        // A shape of one fill or stroke is its own only layer: the picture
        // of the whole shape, drawn before the fade began, serves.
        key.layer = plain.layer = drawing.layerCount() == 1 ? -1 : i;
        drawPiece(drawing, context, key, toDevice, whole, i, i + 1, opacity, blitTint, plain);
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
