#include "character/ShapeCharacter.h"

#include "render/RasterCache.h"

namespace swf {

ShapeCharacter::ShapeCharacter(int id, const QRectF &bounds, ShapeDrawing drawing)
    : Character(id), m_bounds(bounds), m_drawing(std::move(drawing))
{
}

QRectF ShapeCharacter::bounds(double) const { return m_bounds; }

ShapeCharacter::~ShapeCharacter() { rastercache::forget(this); }

void ShapeCharacter::draw(const RenderContext &context) const { rastercache::draw(m_drawing, context, this); }

QRectF ShapeCharacter::paintBounds(const QTransform &toDevice, double) const
{
    // From the paths themselves: the bounds in the file may be too small.
    return m_drawing.isEmpty() ? QRectF() : m_drawing.deviceBounds(toDevice);
}

QRect ShapeCharacter::opaqueArea(const QTransform &toDevice, double) const
{
    return m_drawing.opaqueArea(toDevice);
}

QPainterPath ShapeCharacter::clipPath(double) const
{
    // Only shapes used as masks need it, once.
    std::call_once(m_areaOnce, [this] { m_area = m_drawing.area(); });
    return m_area;
}

} // namespace swf
