#include "render/ShapeDrawing.h"

#include "render/CoverageFill.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Points are compared exactly: edges of one contour meet on the same twip
// (and morph points are computed the same way on both sides of a joint).
using PointKey = QPair<double, double>;
PointKey keyOf(const QPointF &p) { return {p.x() + 0.0, p.y() + 0.0}; }   // folds -0 into 0

void appendEdge(QPainterPath &path, const ShapeEdge &e)
{
    if (e.curve)
        path.quadTo(e.control, e.to);
    else
        path.lineTo(e.to);
}

// Joins the edges of one fill end to start into closed contours, as the
// file may list them in any order and direction.
QPainterPath closedContours(const QVector<ShapeEdge> &edges, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    QHash<PointKey, QVector<int>> byStart;
    byStart.reserve(edges.size());
    for (int i = edges.size() - 1; i >= 0; --i)
        byStart[keyOf(edges[i].from)].append(i);    // reversed: taken from the back, in file order
    QVector<bool> used(edges.size(), false);

    auto takeStartingAt = [&](const QPointF &p) -> int {
        auto it = byStart.find(keyOf(p));
        if (it == byStart.end())
            return -1;
        while (!it->isEmpty()) {
            const int i = it->takeLast();
            if (!used[i])
                return i;
        }
        return -1;
    };

    for (int first = 0; first < edges.size(); ++first) {
        if (used[first])
            continue;
        const QPointF start = edges[first].from;
        path.moveTo(start);
        int current = first;
        while (current >= 0) {
            used[current] = true;
            appendEdge(path, edges[current]);
            if (keyOf(edges[current].to) == keyOf(start))
                break;
            current = takeStartingAt(edges[current].to);
        }
        path.closeSubpath();
    }
    return path;
}

// Without anti-aliasing a pixel is in or out by its centre, so where the
// lines that stand for a curve run decides whole pixels. Players cut each
// curve into equal steps of its parameter, as few as keep the chord within
// a tenth of a device pixel of the curve; so does this, for the fills.
QPainterPath flattenedForDevice(const QPainterPath &path, const QTransform &toDevice)
{
    constexpr double kTolerance = 0.1;   // device pixels
    constexpr int kMaxSteps = 256;
    QPainterPath out;
    out.setFillRule(path.fillRule());
    QPointF last;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!e.isCurveTo() || i + 2 >= path.elementCount()) {
            if (e.isMoveTo())
                out.moveTo(e);
            else
                out.lineTo(e);
            last = e;
            continue;
        }
        // Qt keeps a quadratic curve as the cubic with the same points.
        const QPointF c1 = e, c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
        const QPointF control = (3 * c1 - last) / 2;
        // The chord of a quadratic strays at most a quarter of this.
        const QPointF bend = toDevice.map(last - 2 * control + to) - toDevice.map(QPointF());
        const double stray = std::hypot(bend.x(), bend.y()) / 4;
        const double wanted = std::ceil(std::sqrt(stray / kTolerance));
        const int steps = std::isfinite(wanted) ? int(std::clamp(wanted, 1.0, double(kMaxSteps))) : 1;
        for (int k = 1; k < steps; ++k) {
            const double t = double(k) / steps, u = 1 - t;
            out.lineTo(last * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + to * (t * t * t));
        }
        out.lineTo(to);
        last = to;
        i += 2;
    }
    return out;
}

ShapeEdge reversed(const ShapeEdge &e)
{
    ShapeEdge r = e;
    r.from = e.to;
    r.to = e.from;
    return r;
}

// A gradient fill whose picture is laid straight under the coverage, for
// gradients of at least two stops: fewer are one colour, which Qt paints.
bool fillWithGradientPicture(QPainter &painter, const QPainterPath &path, const FillStyle &fill,
                             const QTransform &toDevice, const ColorTransform &cxform)
{
    if (fill.kind != FillStyle::Kind::Gradient || fill.gradient.stops.size() < 2)
        return false;
    const QPaintDevice *device = painter.device();
    if (!device || device->devicePixelRatioF() != 1.0)
        return false;
    const QRect reach(0, 0, device->width(), device->height());
    return CoverageFill::fillWithPicture(painter, path, toDevice, [&](const QRect &pixels, QPoint *origin) {
        return fill.gradient.picture(cxform, toDevice, pixels, reach, origin);
    });
}

// Whether the path is one upright rectangle, corner to corner.
bool isRectangle(const QPainterPath &path, QRectF *rect)
{
    int count = path.elementCount();
    // A move at the end (where the path builder starts its next contour)
    // draws nothing.
    while (count > 0 && path.elementAt(count - 1).isMoveTo())
        --count;
    if (count < 4 || count > 5)
        return false;
    QPointF corners[5];
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if ((i == 0) != e.isMoveTo() || e.isCurveTo() || e.type == QPainterPath::CurveToDataElement)
            return false;
        corners[i] = e;
    }
    if (count == 5 && corners[4] != corners[0])
        return false;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = corners[i], b = corners[(i + 1) % 4];
        // Each side runs along one axis, and the sides take turns.
        const bool along = a.y() == b.y() && a.x() != b.x();
        const bool down = a.x() == b.x() && a.y() != b.y();
        const QPointF c = corners[(i + 2) % 4];
        if (!(along || down) || (along ? b.y() == c.y() : b.x() == c.x()))
            return false;
    }
    *rect = QRectF(corners[0], corners[2]).normalized();
    return true;
}

} // namespace

ShapeDrawing::ShapeDrawing(const QVector<StyleGroup> &groups, const QVector<ShapeEdge> &edges,
                           Qt::FillRule fillRule)
{
    for (int g = 0; g < groups.size(); ++g) {
        const StyleGroup &group = groups[g];
        QVector<QVector<ShapeEdge>> fillEdges(group.fills.size());
        QVector<QPainterPath> lines(group.lines.size());
        QVector<QPointF> lineEnds(group.lines.size());
        for (const ShapeEdge &e : edges) {
            if (e.group != g)
                continue;
            // An edge with the same fill on both sides lies inside the fill.
            if (e.fill0 != e.fill1) {
                if (e.fill0 > 0 && e.fill0 <= fillEdges.size())
                    fillEdges[e.fill0 - 1].append(reversed(e));
                if (e.fill1 > 0 && e.fill1 <= fillEdges.size())
                    fillEdges[e.fill1 - 1].append(e);
            }
            if (e.line > 0 && e.line <= lines.size()) {
                QPainterPath &path = lines[e.line - 1];
                if (path.isEmpty() || lineEnds[e.line - 1] != e.from)
                    path.moveTo(e.from);
                appendEdge(path, e);
                lineEnds[e.line - 1] = e.to;
            }
        }
        for (int i = 0; i < fillEdges.size(); ++i) {
            if (fillEdges[i].isEmpty())
                continue;
            Layer layer;
            layer.path = closedContours(fillEdges[i], fillRule);
            layer.fill = group.fills[i];
            m_layers.append(layer);
        }
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].isEmpty())
                continue;
            Layer layer;
            layer.path = lines[i];
            layer.isStroke = true;
            layer.line = group.lines[i];
            m_layers.append(layer);
        }
    }
}

void ShapeDrawing::draw(const RenderContext &context) const
{
    drawLayers(context, 0, layerCount());
}

void ShapeDrawing::drawLayers(const RenderContext &context, int first, int end) const
{
    first = std::max(first, 0);
    end = std::min(end, layerCount());
    if (!context.painter || first >= end)
        return;
    QPainter &painter = *context.painter;
    const QTransform old = painter.transform();
    const QTransform toDevice = context.matrix * old;
    const double deviceScale = std::sqrt(std::abs(toDevice.determinant()));
    const bool oldAntialias = painter.testRenderHint(QPainter::Antialiasing);
    painter.setTransform(toDevice);
    painter.setRenderHint(QPainter::Antialiasing, context.antialias);
    for (int i = first; i < end; ++i) {
        const Layer &layer = m_layers[i];
        if (layer.isStroke)
            layer.line.stroke(painter, layer.path, context.cxform, deviceScale);
        else if (!context.antialias)
            layer.fill.fill(painter, flattenedForDevice(layer.path, toDevice), context.cxform);
        else if (layer.fill.kind == FillStyle::Kind::Solid) {
            if (!CoverageFill::fill(painter, layer.path, toDevice, context.cxform.apply(layer.fill.color)))
                layer.fill.fill(painter, layer.path, context.cxform);
        } else if (layer.fill.kind == FillStyle::Kind::Bitmap
                 || (!fillWithGradientPicture(painter, layer.path, layer.fill, toDevice, context.cxform)
                     && !CoverageFill::fill(painter, layer.path, toDevice, [&](QPainter &p, const QRectF &area) {
                            QPainterPath all;
                            all.addRect(area);
                            layer.fill.fill(p, all, context.cxform);
                        })))
            layer.fill.fill(painter, layer.path, context.cxform);
    }
    painter.setRenderHint(QPainter::Antialiasing, oldAntialias);
    painter.setTransform(old);
}

QRectF ShapeDrawing::deviceBounds(const QTransform &toDevice, int first, int end) const
{
    if (end < 0 || end > layerCount())
        end = layerCount();
    const double stretch = std::max(std::hypot(toDevice.m11(), toDevice.m12()),
                                    std::hypot(toDevice.m21(), toDevice.m22()));
    QRectF all;
    for (int i = std::max(first, 0); i < end; ++i) {
        const Layer &layer = m_layers[i];
        QRectF r = toDevice.mapRect(layer.path.controlPointRect());
        if (layer.isStroke) {
            const LineStyle &l = layer.line;
            // Scaled, or 1/20 pixel per twip when not scaling, and never
            // below the one-pixel hairline.
            double reach = std::max({l.width * stretch, l.width / 20.0, 1.0}) / 2;
            if (l.join == Qt::MiterJoin)
                reach *= std::max(1.0, 2 * l.miterLimit);
            if (l.startCap == Qt::SquareCap)
                reach *= M_SQRT2;
            r.adjust(-reach, -reach, reach, reach);
        }
        all |= r;
    }
    // Anti-aliasing reaches into the next pixel.
    return all.adjusted(-1, -1, 1, 1);
}

QRect ShapeDrawing::opaqueArea(const QTransform &toDevice) const
{
    if (toDevice.type() > QTransform::TxScale)
        return {};
    auto opaque = [](const FillStyle &fill) {
        switch (fill.kind) {
        case FillStyle::Kind::Solid:
            return fill.color.alpha() == 255;
        case FillStyle::Kind::Gradient:
            return std::all_of(fill.gradient.stops.begin(), fill.gradient.stops.end(),
                               [](const Gradient::Stop &s) { return s.color.alpha() == 255; });
        case FillStyle::Kind::Bitmap:
            return false;       // its pixels may hold alpha, its edges repeat or not
        }
        return false;
    };
    QRect best;
    for (const Layer &layer : m_layers) {
        QRectF rect;
        if (layer.isStroke || !opaque(layer.fill) || !isRectangle(layer.path, &rect))
            continue;
        // A pixel less on every side: sample points are rounded, and cached
        // pictures land within a fraction of a pixel of the exact place. Cut
        // to where whole pixels fit an int.
        const QRectF inner = toDevice.mapRect(rect).adjusted(1, 1, -1, -1) & QRectF(-1e6, -1e6, 2e6, 2e6);
        if (!(inner.width() > 0 && inner.height() > 0))
            continue;
        const QRect pixels(QPoint(int(std::ceil(inner.left())), int(std::ceil(inner.top()))),
                           QPoint(int(std::floor(inner.right())) - 1, int(std::floor(inner.bottom())) - 1));
        if (!pixels.isEmpty() && qint64(pixels.width()) * pixels.height() > qint64(best.width()) * best.height())
            best = pixels;
    }
    return best;
}

bool ShapeDrawing::isPlainRectangle(const QTransform &toDevice) const
{
    if (m_layers.size() != 1 || m_layers.front().isStroke || toDevice.type() > QTransform::TxScale)
        return false;
    const FillStyle &fill = m_layers.front().fill;
    QRectF rect;
    if (!isRectangle(m_layers.front().path, &rect))
        return false;
    return fill.kind == FillStyle::Kind::Solid
        || (fill.kind == FillStyle::Kind::Gradient && fill.gradient.rowsOfOneColour(toDevice));
}

bool ShapeDrawing::hasLinearLightGradient() const
{
    return std::any_of(m_layers.begin(), m_layers.end(), [](const Layer &layer) {
        const FillStyle &fill = layer.isStroke ? layer.line.fill : layer.fill;
        const bool used = !layer.isStroke || layer.line.hasFill;
        return used && fill.kind == FillStyle::Kind::Gradient && fill.gradient.linearRgb;
    });
}

QPainterPath ShapeDrawing::area() const
{
    // Every contour runs with its fill on the same side (fill0 edges were
    // reversed), so under the non-zero rule each fill covers its own area
    // and fills side by side or stacked add up instead of cancelling out:
    // no costly path union is needed.
    QPainterPath result;
    int fills = 0;
    for (const Layer &layer : m_layers) {
        if (layer.isStroke)
            continue;
        if (++fills == 1)
            result = layer.path;
        else
            result.addPath(layer.path);
    }
    if (fills > 1)
        result.setFillRule(Qt::WindingFill);
    return result;
}

} // namespace swf
