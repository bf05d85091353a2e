#include "character/MorphShapeCharacter.h"

#include "character/Interpolation.h"
#include "render/RasterCache.h"

#include <algorithm>

namespace swf {

namespace {

QPointF controlOf(const ShapeEdge &e)
{
    // A straight edge paired with a curve becomes a curve through its middle.
    return e.curve ? e.control : (e.from + e.to) / 2;
}

} // namespace

MorphShapeCharacter::MorphShapeCharacter(int id, Definition definition)
    : Character(id), m_definition(std::move(definition))
{
}

MorphShapeCharacter::~MorphShapeCharacter() { rastercache::forget(this); }

QRectF MorphShapeCharacter::bounds(double ratio) const
{
    using interpolation::mix;
    const QRectF &a = m_definition.startBounds, &b = m_definition.endBounds;
    return QRectF(QPointF(mix(a.left(), b.left(), ratio), mix(a.top(), b.top(), ratio)),
                  QPointF(mix(a.right(), b.right(), ratio), mix(a.bottom(), b.bottom(), ratio)));
}

ShapeDrawing MorphShapeCharacter::drawingAt(double ratio) const
{
    using interpolation::mix;
    const double t = std::clamp(ratio, 0.0, 1.0);
    const Definition &d = m_definition;

    StyleGroup group;
    for (qsizetype i = 0; i < d.startFills.size(); ++i)
        group.fills.append(FillStyle::interpolated(d.startFills[i], d.endFills.value(i, d.startFills[i]), t));
    for (qsizetype i = 0; i < d.startLines.size(); ++i)
        group.lines.append(LineStyle::interpolated(d.startLines[i], d.endLines.value(i, d.startLines[i]), t));

    QVector<ShapeEdge> edges;
    edges.reserve(d.startEdges.size());
    for (qsizetype i = 0; i < d.startEdges.size(); ++i) {
        const ShapeEdge &a = d.startEdges[i];
        // An end shape with fewer edges keeps the start's for the rest.
        const ShapeEdge &b = i < d.endEdges.size() ? d.endEdges[i] : a;
        if (!a.fill0 && !a.fill1 && !a.line)
            continue;
        ShapeEdge e = a;
        e.group = 0;
        e.from = mix(a.from, b.from, t);
        e.to = mix(a.to, b.to, t);
        e.curve = a.curve || b.curve;
        if (e.curve)
            e.control = mix(controlOf(a), controlOf(b), t);
        edges.append(e);
    }
    return ShapeDrawing({group}, edges, Qt::OddEvenFill);
}

ShapeDrawing MorphShapeCharacter::cachedDrawing(double ratio) const
{
    std::lock_guard lock(m_cacheMutex);
    if (m_cachedRatio != ratio) {
        m_cached = drawingAt(ratio);
        m_cachedRatio = ratio;
    }
    return m_cached;
}

void MorphShapeCharacter::draw(const RenderContext &context) const
{
    rastercache::draw(cachedDrawing(context.ratio), context, this, context.ratio);
}

QRectF MorphShapeCharacter::paintBounds(const QTransform &toDevice, double ratio) const
{
    const ShapeDrawing drawing = cachedDrawing(ratio);
    return drawing.isEmpty() ? QRectF() : drawing.deviceBounds(toDevice);
}

QPainterPath MorphShapeCharacter::clipPath(double ratio) const
{
    return drawingAt(ratio).area();
}

} // namespace swf
