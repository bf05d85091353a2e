#pragma once

#include "Records.h"

#include <QRect>
#include <QRegion>
#include <utility>
#include <vector>

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
    // Objects of the clip's own list below `fromDepth` are left out.
    void draw(const Clip &clip, const Matrix &toDevice, const ColorTransform &cxform,
              const QRect &area = QRect(), int fromDepth = NoDepth);

    // The depth of the highest object of the clip's own list that paints
    // all of `pixels` opaquely, straight onto what is below it (no mask,
    // blend mode, filter or fading over it), so that nothing below it
    // shows there; NoDepth when there is none.
    static int coveringDepth(const Clip &clip, const Matrix &toDevice, const QRect &pixels);
    static constexpr int NoDepth = -(1 << 30);

    // Whether a character placed by `toDevice` is drawn. Nested sprites can
    // multiply their scales past all sense (hostile files reach 1e30 pixels
    // per twip), and Qt's rasteriser then works through extents far beyond
    // any picture, for seconds. Real scenes stay below a few hundred pixels
    // per twip and within a billion pixels of the stage.
    static bool drawable(const Matrix &toDevice);

private:
    static constexpr int MaxCoverNesting = 8;
    // Pixels the characters of one frame may cover, as a multiple of the
    // picture's: far more than any real scene stacks.
    static constexpr qint64 PixelsPerPicturePixel = 32;
    // The pixels of `within` that each object of the list hides, by depth
    // (when asked), and all of them.
    static QRegion opaqueRegions(const Clip &clip, const Matrix &toDevice, const QRect &within, int nesting,
                                 std::vector<std::pair<int, QRegion>> *byDepth);

    struct Target;
    void drawList(QPainter &p, const QRect &area, const Clip &clip, const Matrix &m,
                  const ColorTransform &cx, int fromDepth = NoDepth);
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
    qint64 m_pixelsDrawn = 0;        // covered by characters so far, over every draw()
    qint64 m_pixelBudget = -1;       // set by the first draw()
};

} // namespace swf
