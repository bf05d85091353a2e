#pragma once

#include "Character.h"
#include "character/FillStyle.h"
#include "character/LineStyle.h"
#include "character/ShapeEdge.h"

#include <QPainterPath>
#include <QVector>

namespace swf {

// The style arrays of a shape: the first group, then one for each time the
// shape records replace them. Each group is drawn above the one before.
struct StyleGroup
{
    QVector<FillStyle> fills;
    QVector<LineStyle> lines;
};

// A shape ready to draw: its fills as closed paths and its strokes, in
// drawing order, all in the shape's twips.
class ShapeDrawing
{
public:
    ShapeDrawing() = default;
    // Builds the paths from edges given in any order. Edges naming a style
    // the group lacks are left out.
    ShapeDrawing(const QVector<StyleGroup> &groups, const QVector<ShapeEdge> &edges,
                 Qt::FillRule fillRule);

    bool isEmpty() const { return m_layers.isEmpty(); }
    void draw(const RenderContext &context) const;
    // Draws the fills and strokes from `first` up to, not including, `end`.
    void drawLayers(const RenderContext &context, int first, int end) const;
    int layerCount() const { return int(m_layers.size()); }
    // The area of all the fills, as a mask uses it (non-zero when there are
    // several, each fill's own rule when there is one).
    QPainterPath area() const;
    // The device pixels draw() may touch when `toDevice` maps the twips,
    // strokes and anti-aliasing included.
    QRectF deviceBounds(const QTransform &toDevice, int first = 0, int end = -1) const;
    // The device pixels of the largest opaque rectangular fill, every
    // sample of them covered, when `toDevice` maps the twips upright; empty
    // when there is none.
    QRect opaqueArea(const QTransform &toDevice) const;
    // Whether it is one upright rectangle of one colour, or of a linear
    // gradient that has one colour per device row, when `toDevice` maps
    // the twips upright (a sky): drawn again, it costs what a blit of its
    // picture would.
    bool isPlainRectangle(const QTransform &toDevice) const;
    // Whether a gradient of a fill or stroke blends in linear light, where
    // a colour transform of its stops is not one of the pixels drawn.
    bool hasLinearLightGradient() const;

private:
    struct Layer
    {
        QPainterPath path;
        bool isStroke = false;
        FillStyle fill;
        LineStyle line;
    };
    QVector<Layer> m_layers;
};

} // namespace swf
