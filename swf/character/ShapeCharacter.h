#pragma once

#include "Character.h"
#include "render/ShapeDrawing.h"

#include <mutex>

namespace swf {

// A shape (DefineShape 1 to 4): its paths are built once when decoded.
class ShapeCharacter : public Character
{
public:
    ShapeCharacter(int id, const QRectF &bounds, ShapeDrawing drawing);
    ~ShapeCharacter() override;

    Type type() const override { return Type::Shape; }
    QRectF bounds(double ratio = 0.0) const override;
    void draw(const RenderContext &context) const override;
    QPainterPath clipPath(double ratio = 0.0) const override;
    QRectF paintBounds(const QTransform &toDevice, double ratio = 0.0) const override;
    QRect opaqueArea(const QTransform &toDevice, double ratio = 0.0) const override;

private:
    QRectF m_bounds;
    ShapeDrawing m_drawing;
    mutable std::once_flag m_areaOnce;
    mutable QPainterPath m_area;
};

} // namespace swf
