#pragma once

#include "Records.h"

#include <QHash>
#include <QPainterPath>
#include <QRectF>
#include <memory>

class QPainter;

namespace swf {

// How one placed character is drawn: the painter draws in device pixels and
// carries no transform of its own; `matrix` maps the character's twips to
// device pixels, `cxform` is the colour transform of all its ancestors.
struct RenderContext
{
    QPainter *painter = nullptr;
    Matrix matrix;
    ColorTransform cxform;
    double ratio = 0.0;        // morph ratio, 0..1
    bool antialias = true;
};

// A character of the movie's dictionary: the definition, shared by every
// placement of it. Definitions are immutable once decoded.
class Character
{
public:
    enum class Type { Shape, MorphShape, Bitmap, Font, Text, EditText, Sprite, Button, Sound, Other };

    explicit Character(int id) : m_id(id) {}
    virtual ~Character() = default;
    Character(const Character &) = delete;
    Character &operator=(const Character &) = delete;

    int id() const { return m_id; }
    virtual Type type() const = 0;
    // The character's bounds in its own twips (at `ratio` for a morph).
    virtual QRectF bounds(double ratio = 0.0) const { Q_UNUSED(ratio); return {}; }
    // Draws the character. Containers (sprites, buttons) are drawn by the
    // movie's display list instead, and do nothing here.
    virtual void draw(const RenderContext &context) const { Q_UNUSED(context); }
    // The area the character covers, in its own twips, when it is a mask.
    virtual QPainterPath clipPath(double ratio = 0.0) const { Q_UNUSED(ratio); return {}; }
    // The device pixels draw() may touch when `toDevice` maps the twips,
    // anti-aliasing included; empty when it draws nothing. Characters whose
    // drawing may stray past the bounds in the file work it out themselves.
    virtual QRectF paintBounds(const QTransform &toDevice, double ratio = 0.0) const
    {
        const QRectF local = bounds(ratio).normalized();
        if (local.isEmpty())
            return {};
        return toDevice.mapRect(local).adjusted(-2, -2, 2, 2);
    }
    // Device pixels, all in one rectangle, that draw() paints fully and
    // opaquely whatever lies below, under a colour transform that keeps
    // alpha. Empty is always a safe answer.
    virtual QRect opaqueArea(const QTransform &toDevice, double ratio = 0.0) const
    {
        Q_UNUSED(toDevice);
        Q_UNUSED(ratio);
        return {};
    }

private:
    int m_id;
};

using CharacterPtr = std::shared_ptr<const Character>;
using Dictionary = QHash<int, CharacterPtr>;

} // namespace swf
