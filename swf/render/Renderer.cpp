#include "render/Renderer.h"

#include "display/Clip.h"
#include "render/CoverageFill.h"
#include "render/PixelRect.h"
#include "PictureLimit.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace swf {

namespace {

constexpr int MaxLayers = 12;

struct MaskPiece
{
    QPainterPath path;               // twips of its character
    Matrix matrix;                   // to device pixels
};

void collectMask(const DisplayObject &object, const Matrix &m, std::vector<MaskPiece> &out)
{
    if (object.clip) {
        for (const auto &[depth, child] : object.clip->objects()) {
            // Masks inside a mask do not mask; they are part of its shape.
            for (const DisplayObject &under : child.beneath)
                collectMask(under, under.matrix * m, out);
            collectMask(child, child.matrix * m, out);
        }
    } else if (object.character && Renderer::drawable(m)) {
        QPainterPath path = object.character->clipPath(object.ratio / 65535.0);
        if (!path.isEmpty())
            out.push_back({std::move(path), m});
    }
}

// Device-pixel bounds of an object and everything under it; empty when
// nothing of it has a known extent.
QRectF deviceBounds(const DisplayObject &object, const Matrix &m)
{
    if (object.clip) {
        QRectF all;
        for (const auto &[depth, child] : object.clip->objects()) {
            for (const DisplayObject &under : child.beneath)
                all |= deviceBounds(under, under.matrix * m);
            all |= deviceBounds(child, child.matrix * m);
        }
        return all;
    }
    if (!object.character)
        return {};
    const QRectF local = object.character->bounds(object.ratio / 65535.0);
    if (local.isEmpty())
        return {};
    return m.mapRect(local);
}

// A fresh transparent surface for one layer; null when it would be larger
// than any picture the engine makes.
QImage makeLayer(const QRect &rect, qreal dpr)
{
    // On a high-density target the layer has as many pixels as the area
    // it covers there, and is drawn in the same logical coordinates.
    const double width = std::ceil(rect.width() * dpr), height = std::ceil(rect.height() * dpr);
    if (!(width <= MaxPictureSide && height <= MaxPictureSide) || !pictureFits(qint64(width), qint64(height)))
        return {};
    QImage layer((QSizeF(rect.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return layer;
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    return layer;
}

// Subtract, which Qt has no composition mode for: the layer's colour taken
// from the backdrop, on premultiplied pixels.
void blendManually(QImage &dst, const QPoint &at, const QImage &src)
{
    const QRect rect = QRect(at, src.size()).intersected(dst.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        QRgb *d = reinterpret_cast<QRgb *>(dst.scanLine(y));
        const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y - at.y()));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb sp = s[x - at.x()];
            if (qAlpha(sp) == 0)
                continue;
            const QRgb dp = d[x];
            d[x] = qRgba(qMax(0, qRed(dp) - qRed(sp)), qMax(0, qGreen(dp) - qGreen(sp)),
                         qMax(0, qBlue(dp) - qBlue(sp)), qAlpha(dp));
        }
    }
}

QPainter::CompositionMode compositionFor(int mode)
{
    switch (mode) {
    case 3: return QPainter::CompositionMode_Multiply;
    case 4: return QPainter::CompositionMode_Screen;
    case 5: return QPainter::CompositionMode_Lighten;
    case 6: return QPainter::CompositionMode_Darken;
    case 7: case 10: return QPainter::CompositionMode_Difference;
    case 8: return QPainter::CompositionMode_Plus;
    case 11: return QPainter::CompositionMode_DestinationIn;
    case 12: return QPainter::CompositionMode_DestinationOut;
    case 13: return QPainter::CompositionMode_Overlay;
    case 14: return QPainter::CompositionMode_HardLight;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

bool Renderer::drawable(const Matrix &m)
{
    constexpr double MaxPixelsPerTwip = 1e4;
    constexpr double MaxOffset = 1e9;
    return std::abs(m.m11()) <= MaxPixelsPerTwip && std::abs(m.m12()) <= MaxPixelsPerTwip
        && std::abs(m.m21()) <= MaxPixelsPerTwip && std::abs(m.m22()) <= MaxPixelsPerTwip
        && std::abs(m.dx()) <= MaxOffset && std::abs(m.dy()) <= MaxOffset;
}

int Renderer::coveringDepth(const Clip &clip, const Matrix &toDevice, const QRect &pixels)
{
    std::vector<std::pair<int, QRegion>> opaque;
    opaqueRegions(clip, toDevice, pixels, 0, &opaque);
    // From the top down, until what the objects hide holds all the pixels.
    QRegion hidden;
    for (auto it = opaque.rbegin(); it != opaque.rend(); ++it) {
        hidden += it->second;
        if ((QRegion(pixels) - hidden).isEmpty())
            return it->first;
    }
    return NoDepth;
}

QRegion Renderer::opaqueRegions(const Clip &clip, const Matrix &toDevice, const QRect &within, int nesting,
                                std::vector<std::pair<int, QRegion>> *byDepth)
{
    QRegion all;
    int maskedUpTo = NoDepth;
    for (const auto &[depth, object] : clip.objects()) {
        if (object.clipDepth > 0) {
            maskedUpTo = std::max(maskedUpTo, object.clipDepth);
            continue;
        }
        // Drawn as is onto what lies below, its alpha kept (every level's
        // transform keeps 255 at 255).
        const ColorTransform &c = object.cxform;
        const Matrix m = object.matrix * toDevice;
        const bool plain = object.visible && depth > maskedUpTo && object.blendMode <= 1
            && !(object.filters && !object.filters->empty()) && !object.cacheAsBitmap && c.aMult >= 256
            && c.aAdd >= 0 && drawable(m);
        if (!plain)
            continue;
        QRegion region;
        if (object.clip) {
            // A sprite hides what its own objects hide.
            if (nesting < MaxCoverNesting)
                region = opaqueRegions(*object.clip, m, within, nesting + 1, nullptr);
        } else if (object.character) {
            region = object.character->opaqueArea(m, object.ratio / 65535.0) & within;
        }
        if (region.isEmpty())
            continue;
        all += region;
        if (byDepth)
            byDepth->emplace_back(depth, region);
    }
    return all;
}

void Renderer::draw(const Clip &clip, const Matrix &toDevice, const ColorTransform &cxform,
                    const QRect &bounds, int fromDepth)
{
    // Filter sizes are in stage pixels; the stage may be drawn scaled.
    m_stageScale = std::sqrt(std::abs(toDevice.determinant())) * 20;
    m_dpr = m_painter.device()->devicePixelRatioF();
    if (m_pixelBudget < 0) {
        const qint64 picture = qint64(m_painter.device()->width() * m_dpr) * qint64(m_painter.device()->height() * m_dpr);
        m_pixelBudget = PixelsPerPicturePixel * std::max<qint64>(picture, 256 * 256);
    }
    QRect area(QPoint(0, 0), QSize(m_painter.device()->width(), m_painter.device()->height()));
    if (!bounds.isNull())
        area &= bounds;
    else if (m_painter.hasClipping())
        area &= m_painter.clipBoundingRect().toAlignedRect();
    drawList(m_painter, area, clip, toDevice, cxform, fromDepth);
}

void Renderer::drawList(QPainter &p, const QRect &area, const Clip &clip, const Matrix &m,
                        const ColorTransform &cx, int fromDepth)
{
    // A mask (an object with a clip depth) opens a layer that the objects
    // after it draw into, and its shape cuts that layer out when closed, so
    // mask edges are anti-aliased like any other edge. Masks form a stack:
    // only the innermost one closes when the depth passes its clip depth,
    // and an outer one stays open at least as long as those inside it.
    struct Layer
    {
        // Held by pointer: the painter keeps the image's address.
        std::unique_ptr<QImage> image; // null: the mask covers nothing visible
        QRect rect;                  // in the coordinates of `p`
        int clipDepth = 0;
        std::vector<MaskPiece> pieces;
        std::unique_ptr<QPainter> painter;
    };
    std::vector<Layer> layers;

    auto close = [&]() {
        Layer layer = std::move(layers.back());
        layers.pop_back();
        if (!layer.image)
            return;
        const Matrix shift = QTransform::fromTranslate(-layer.rect.x(), -layer.rect.y());
        QImage mask = makeLayer(layer.rect, m_dpr);
        {
            QPainter mp(&mask);
            mp.setRenderHint(QPainter::Antialiasing, m_antialias);
            mp.setPen(Qt::NoPen);
            mp.setBrush(Qt::black);
            for (const MaskPiece &piece : layer.pieces) {
                const QTransform toMask = piece.matrix * shift;
                const bool sampled = m_antialias
                    && CoverageFill::fill(mp, piece.path, toMask, QColor(Qt::black));
                if (!sampled) {
                    mp.setTransform(toMask);
                    mp.drawPath(piece.path);
                }
            }
        }
        layer.painter->setCompositionMode(QPainter::CompositionMode_DestinationIn);
        layer.painter->drawImage(0, 0, mask);
        layer.painter.reset();
        --m_layers;
        QPainter *below = layers.empty() ? &p : layers.back().painter.get();
        const QPoint origin = layers.empty() ? QPoint() : layers.back().rect.topLeft();
        if (below)
            drawPixelForPixel(*below, layer.rect.topLeft() - origin, *layer.image);
    };

    for (const auto &[depth, object] : clip.objects()) {
        if (depth < fromDepth)
            continue;
        while (!layers.empty() && depth > layers.back().clipDepth)
            close();
        const bool hidden = !layers.empty() && !layers.back().image;
        const QRect current = layers.empty() ? area : layers.back().rect;
        auto drawHere = [&](const DisplayObject &one) {
            if (!one.visible)
                return;
            if (layers.empty()) {
                drawObject(p, area, one, one.matrix * m, cx);
            } else {
                Layer &top = layers.back();
                const Matrix shift = QTransform::fromTranslate(-top.rect.x(), -top.rect.y());
                drawObject(*top.painter, QRect(QPoint(0, 0), top.rect.size()), one,
                           one.matrix * m * shift, cx);
            }
        };
        // Objects kept beneath the depth's holder, the latest lowest; a
        // mask among them masks nothing.
        for (auto under = object.beneath.rbegin(); under != object.beneath.rend() && !hidden; ++under) {
            if (under->clipDepth == 0)
                drawHere(*under);
        }
        if (object.clipDepth > 0) {
            Layer layer;
            layer.clipDepth = object.clipDepth;
            if (!hidden) {
                collectMask(object, object.matrix * m, layer.pieces);
                QRectF bounds;
                for (const MaskPiece &piece : layer.pieces)
                    bounds |= piece.matrix.mapRect(piece.path.boundingRect());
                layer.rect = pixelsWithin(bounds, 1, current);
                // A mask whose layer cannot be made hides what it masks.
                QImage image = layer.rect.isEmpty() || m_layers >= MaxLayers ? QImage()
                                                                              : makeLayer(layer.rect, m_dpr);
                if (!image.isNull()) {
                    ++m_layers;
                    layer.image = std::make_unique<QImage>(std::move(image));
                    layer.painter = std::make_unique<QPainter>(layer.image.get());
                }
            }
            layers.push_back(std::move(layer));
            continue;
        }
        if (hidden)
            continue;
        drawHere(object);
    }
    while (!layers.empty())
        close();
}

void Renderer::drawObject(QPainter &p, const QRect &area, const DisplayObject &object,
                          const Matrix &placed, const ColorTransform &cx)
{
    // Objects drawn as cached bitmaps (asked for, or implied by filters)
    // land on whole pixels.
    Matrix m = placed;
    if (object.cacheAsBitmap || (object.filters && !object.filters->empty()))
        // Players drop the fraction rather than round it: at 4.95 px the
        // picture lands on pixel 4.
        m.setMatrix(m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), std::floor(m.dx()),
                    std::floor(m.dy()), m.m33());
    const ColorTransform combined = cx.combined(object.cxform);
    const int mode = object.blendMode > 14 ? 0 : object.blendMode;
    const bool filtered = object.filters && !object.filters->empty();
    // Mode 2 ("layer") composites normally, but as one picture: what its
    // children blend with is each other, not what lies below. Filters also
    // work on the picture of the whole object.
    if ((mode <= 1 && !filtered) || m_layers >= MaxLayers) {
        drawContent(p, area, object, m, combined);
        return;
    }
    // Alpha and erase cut into the group of a layer below them; with no
    // such group there is nothing for them to act on and players draw
    // nothing.
    if ((mode == 11 || mode == 12) && m_blendGroups == 0)
        return;
    QRectF bounds = deviceBounds(object, m);
    // Strokes may reach a little past the bounds the file gives, and
    // filters further.
    int grow = 2;
    if (filtered)
        for (const Filter &f : *object.filters)
            grow += int(std::ceil(f.reach(m_stageScale)));
    QRect rect = bounds.isEmpty() ? area : pixelsWithin(bounds, grow, area);
    if (rect.isEmpty())
        return;
    QImage layer = makeLayer(rect, m_dpr);
    if (layer.isNull()) {
        // Too large a layer for its effect: the object is drawn without it.
        drawContent(p, area, object, m, combined);
        return;
    }
    ++m_layers;
    {
        QPainter lp(&layer);
        ++m_blendGroups;
        drawContent(lp, QRect(QPoint(0, 0), rect.size()), object,
                    m * QTransform::fromTranslate(-rect.x(), -rect.y()),
                    filtered ? ColorTransform() : combined);
        --m_blendGroups;
    }
    if (filtered)
        for (const Filter &f : *object.filters)
            f.apply(layer, m_stageScale * m_dpr);
    // The colour transform tints the filtered picture, glow and shadow included.
    if (filtered)
        Filter::transformColors(layer, combined);
    --m_layers;
    if (mode == 10) {
        // Invert: the backdrop's colours turned over wherever the layer
        // covers it, by the layer's alpha; a white copy of the layer
        // composited by difference does just that, and on an empty backdrop
        // gives white, as the players draw it.
        QPainter white(&layer);
        white.setCompositionMode(QPainter::CompositionMode_SourceIn);
        white.fillRect(layer.rect(), Qt::white);
    } else if (mode == 9) {
        auto *image = dynamic_cast<QImage *>(p.device());
        if (image && image->format() == QImage::Format_ARGB32_Premultiplied) {
            blendManually(*image, (QPointF(rect.topLeft()) * m_dpr).toPoint(), layer);
            return;
        }
    }
    const auto previous = p.compositionMode();
    p.setCompositionMode(compositionFor(mode));
    drawPixelForPixel(p, rect.topLeft(), layer);
    p.setCompositionMode(previous);
}

void Renderer::drawContent(QPainter &p, const QRect &area, const DisplayObject &object,
                           const Matrix &m, const ColorTransform &cx)
{
    if (object.clip) {
        drawList(p, area, *object.clip, m, cx);
        return;
    }
    if (!object.character || !drawable(m))
        return;
    const double ratio = object.ratio / 65535.0;
    // A hostile file can stack thousands of stage-sized shapes in sprites
    // placing each other: past many times the picture's area in one frame,
    // what is left is not drawn, so a frame cannot take seconds.
    QRectF visible(area);
    if (p.hasClipping())
        visible &= p.clipBoundingRect();
    const QRectF reach = object.character->paintBounds(m, ratio) & visible;
    if (!reach.isEmpty()) {
        m_pixelsDrawn += qint64(reach.width() * reach.height());
        if (m_pixelsDrawn > m_pixelBudget)
            return;
    }
    RenderContext context;
    context.painter = &p;
    context.matrix = m;
    context.cxform = cx;
    context.ratio = ratio;
    context.antialias = m_antialias;
    p.save();
    object.character->draw(context);
    p.restore();
}

} // namespace swf
