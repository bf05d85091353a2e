#include "Renderer.h"

#include "Clip.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
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
            collectMask(child, child.matrix * m, out);
        }
    } else if (object.character) {
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
        for (const auto &[depth, child] : object.clip->objects())
            all |= deviceBounds(child, child.matrix * m);
        return all;
    }
    if (!object.character)
        return {};
    const QRectF local = object.character->bounds(object.ratio / 65535.0);
    if (local.isEmpty())
        return {};
    return m.mapRect(local);
}

// A fresh transparent surface for one layer, and the painter on it.
QImage makeLayer(const QRect &rect)
{
    QImage layer(rect.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

// Blend modes Qt has no composition mode for, done on premultiplied pixels.
void blendManually(QImage &dst, const QPoint &at, const QImage &src, int mode)
{
    const QRect rect = QRect(at, src.size()).intersected(dst.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        QRgb *d = reinterpret_cast<QRgb *>(dst.scanLine(y));
        const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y - at.y()));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb sp = s[x - at.x()];
            const int sa = qAlpha(sp);
            if (sa == 0)
                continue;
            const QRgb dp = d[x];
            int r, g, b;
            if (mode == 9) { // subtract: the layer's colour taken from the background
                r = qMax(0, qRed(dp) - qRed(sp));
                g = qMax(0, qGreen(dp) - qGreen(sp));
                b = qMax(0, qBlue(dp) - qBlue(sp));
            } else {         // invert: the background inverted where the layer covers it
                const int da = qAlpha(dp);
                r = (qRed(dp) * (255 - sa) + (da - qRed(dp)) * sa) / 255;
                g = (qGreen(dp) * (255 - sa) + (da - qGreen(dp)) * sa) / 255;
                b = (qBlue(dp) * (255 - sa) + (da - qBlue(dp)) * sa) / 255;
            }
            d[x] = qRgba(r, g, b, qAlpha(dp));
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
    case 7: return QPainter::CompositionMode_Difference;
    case 8: return QPainter::CompositionMode_Plus;
    case 11: return QPainter::CompositionMode_DestinationIn;
    case 12: return QPainter::CompositionMode_DestinationOut;
    case 13: return QPainter::CompositionMode_Overlay;
    case 14: return QPainter::CompositionMode_HardLight;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

void Renderer::draw(const Clip &clip, const Matrix &toDevice, const ColorTransform &cxform)
{
    QRect area(QPoint(0, 0), QSize(m_painter.device()->width(), m_painter.device()->height()));
    if (m_painter.hasClipping())
        area &= m_painter.clipBoundingRect().toAlignedRect();
    drawList(m_painter, area, clip, toDevice, cxform);
}

void Renderer::drawList(QPainter &p, const QRect &area, const Clip &clip, const Matrix &m,
                        const ColorTransform &cx)
{
    const auto &objects = clip.objects();
    for (auto it = objects.begin(); it != objects.end();) {
        const DisplayObject &object = it->second;
        if (object.clipDepth <= 0) {
            drawObject(p, area, object, object.matrix * m, cx);
            ++it;
            continue;
        }
        // A mask: the objects above it, up to its clip depth, are drawn
        // into a layer that the mask's shape then cuts out, so that the
        // mask's edge is anti-aliased like any other edge.
        const Matrix maskMatrix = object.matrix * m;
        auto end = std::next(it);
        while (end != objects.end() && end->first <= object.clipDepth)
            ++end;
        std::vector<MaskPiece> pieces;
        collectMask(object, maskMatrix, pieces);
        QRectF bounds;
        for (const MaskPiece &piece : pieces)
            bounds |= piece.matrix.mapRect(piece.path.boundingRect());
        const QRect rect = bounds.toAlignedRect().adjusted(-1, -1, 1, 1) & area;
        if (!rect.isEmpty() && m_layers < MaxLayers) {
            ++m_layers;
            QImage layer = makeLayer(rect);
            const Matrix shift = QTransform::fromTranslate(-rect.x(), -rect.y());
            {
                QPainter lp(&layer);
                for (auto inner = std::next(it); inner != end; ++inner) {
                    if (inner->second.clipDepth > 0)
                        continue; // masks under a mask draw nothing of their own
                    drawObject(lp, QRect(QPoint(0, 0), rect.size()), inner->second,
                               inner->second.matrix * m * shift, cx);
                }
                QImage mask = makeLayer(rect);
                {
                    QPainter mp(&mask);
                    mp.setRenderHint(QPainter::Antialiasing, m_antialias);
                    mp.setPen(Qt::NoPen);
                    mp.setBrush(Qt::black);
                    for (const MaskPiece &piece : pieces) {
                        mp.setTransform(piece.matrix * shift);
                        mp.drawPath(piece.path);
                    }
                }
                lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
                lp.drawImage(0, 0, mask);
            }
            p.drawImage(rect.topLeft(), layer);
            --m_layers;
        }
        it = end;
    }
}

void Renderer::drawObject(QPainter &p, const QRect &area, const DisplayObject &object,
                          const Matrix &m, const ColorTransform &cx)
{
    const ColorTransform combined = cx.combined(object.cxform);
    const int mode = object.blendMode;
    // Mode 2 ("layer") composites normally, but as one picture: what its
    // children blend with is each other, not what lies below.
    if (mode <= 1 || mode > 14 || m_layers >= MaxLayers) {
        drawContent(p, area, object, m, combined);
        return;
    }
    QRectF bounds = deviceBounds(object, m);
    // Strokes may reach a little past the bounds the file gives.
    QRect rect = bounds.isEmpty() ? area : bounds.toAlignedRect().adjusted(-2, -2, 2, 2) & area;
    if (rect.isEmpty())
        return;
    ++m_layers;
    QImage layer = makeLayer(rect);
    {
        QPainter lp(&layer);
        drawContent(lp, QRect(QPoint(0, 0), rect.size()), object,
                    m * QTransform::fromTranslate(-rect.x(), -rect.y()), combined);
    }
    --m_layers;
    if (mode == 9 || mode == 10) {
        auto *image = dynamic_cast<QImage *>(p.device());
        if (image && image->format() == QImage::Format_ARGB32_Premultiplied) {
            blendManually(*image, rect.topLeft(), layer, mode);
            return;
        }
    }
    const auto previous = p.compositionMode();
    p.setCompositionMode(compositionFor(mode));
    p.drawImage(rect.topLeft(), layer);
    p.setCompositionMode(previous);
}

void Renderer::drawContent(QPainter &p, const QRect &area, const DisplayObject &object,
                           const Matrix &m, const ColorTransform &cx)
{
    if (object.clip) {
        drawList(p, area, *object.clip, m, cx);
        return;
    }
    if (!object.character)
        return;
    RenderContext context;
    context.painter = &p;
    context.matrix = m;
    context.cxform = cx;
    context.ratio = object.ratio / 65535.0;
    context.antialias = m_antialias;
    p.save();
    object.character->draw(context);
    p.restore();
}

} // namespace swf
