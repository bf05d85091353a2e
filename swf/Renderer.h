#pragma once

#include "Records.h"

#include <QRect>

class QPainter;

namespace swf {

class Clip;
struct DisplayObject;

// Draws a display list: depth order, matrices and colour transforms
// combined down the tree, masks by clip depth and SWF 8 blend modes, both
// through offscreen layers. The painter must carry no transform: the
// matrix handed to draw() maps the clip's twips to the painter's pixels.
class Renderer
{
public:
    Renderer(QPainter &painter, bool antialias) : m_painter(painter), m_antialias(antialias) {}
    // `area` (device pixels) bounds the offscreen layers; by default the
    // painter's clip does.
    void draw(const Clip &clip, const Matrix &toDevice, const ColorTransform &cxform,
              const QRect &area = QRect());

private:
    struct Target;
    void drawList(QPainter &p, const QRect &area, const Clip &clip, const Matrix &m,
                  const ColorTransform &cx);
    void drawObject(QPainter &p, const QRect &area, const DisplayObject &object, const Matrix &m,
                    const ColorTransform &cx);
    void drawContent(QPainter &p, const QRect &area, const DisplayObject &object,
                     const Matrix &m, const ColorTransform &cx);

    QPainter &m_painter;
    bool m_antialias;
    int m_layers = 0;                // nesting of offscreen layers, bounded
    int m_blendGroups = 0;           // blend-mode layers being drawn into
    double m_stageScale = 1;         // logical device pixels per stage pixel
    qreal m_dpr = 1;                 // physical pixels per logical one
};

} // namespace swf
