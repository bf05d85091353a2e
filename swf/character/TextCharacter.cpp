#include "character/TextCharacter.h"

#include <QPainter>

namespace swf {

TextCharacter::TextCharacter(int id, const QRectF &bounds, const Matrix &matrix, QVector<Run> runs)
    : Character(id), m_bounds(bounds), m_matrix(matrix), m_runs(std::move(runs))
{
    // Glyphs are placed by their advances, which need not keep them inside
    // the bounds the file gives.
    QRectF ink;
    for (const Run &run : m_runs)
        for (const QPainterPath &glyph : run.glyphs)
            ink |= glyph.controlPointRect();
    m_ink = m_matrix.mapRect(ink);
}

QRectF TextCharacter::bounds(double) const { return m_bounds; }

void TextCharacter::draw(const RenderContext &context) const
{
    if (!context.painter || m_runs.isEmpty())
        return;
    QPainter &painter = *context.painter;
    const QTransform old = painter.transform();
    const bool oldAntialias = painter.testRenderHint(QPainter::Antialiasing);
    painter.setTransform(m_matrix * context.matrix * old);
    painter.setRenderHint(QPainter::Antialiasing, context.antialias);
    for (const Run &run : m_runs) {
        const QColor color = context.cxform.apply(run.color);
        for (const QPainterPath &glyph : run.glyphs)
            painter.fillPath(glyph, color);
    }
    painter.setRenderHint(QPainter::Antialiasing, oldAntialias);
    painter.setTransform(old);
}

QRectF TextCharacter::paintBounds(const QTransform &toDevice, double) const
{
    if (m_runs.isEmpty() || m_ink.isNull())
        return {};
    return toDevice.mapRect(m_ink).adjusted(-2, -2, 2, 2);
}

QPainterPath TextCharacter::clipPath(double) const
{
    QPainterPath area;
    area.setFillRule(Qt::WindingFill);
    for (const Run &run : m_runs)
        for (const QPainterPath &glyph : run.glyphs)
            area.addPath(glyph.simplified());
    return m_matrix.map(area);
}

} // namespace swf
