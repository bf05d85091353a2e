#pragma once

#include <QColor>
#include <QPainterPath>
#include <QTransform>
#include <functional>

class QPainter;

namespace swf {

// Anti-aliased fills as players draw them: a pixel is covered by as many
// sixteenths as of its 4 x 4 sample points lie inside the path, and the
// fill is blended by exactly that share, so a sliver that misses every
// sample leaves the pixel alone and coverage comes in sixteen steps.
class CoverageFill
{
public:
    // Fills `path` (twips, `toDevice` maps them to the pixels of the
    // painter's device). `paint` draws the fill's colours over a painter
    // whose transform maps twips, across the rectangle it is given (in
    // twips). Returns false, having drawn nothing, when the painter's
    // device or state is one this cannot blend onto exactly: a picture
    // other than premultiplied ARGB, a composition other than source over,
    // a clip that is not one rectangle.
    static bool fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                     const std::function<void(QPainter &, const QRectF &)> &paint);
    // The same with one colour, which needs no picture of the colours.
    static bool fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                     const QColor &color);

    // The colours taken from a premultiplied picture laid pixel for pixel
    // on the painter's device, which `picture` returns for the device
    // pixels it is given (or more), setting the device position of its
    // top-left pixel; nothing is painted twice, as `paint` would. A
    // picture one pixel wide gives each row the one colour of its pixel
    // (a gradient running down the device). Returns false, having drawn
    // nothing, also under an opacity other than one and when the picture
    // does not hold those pixels.
    using Picture = std::function<QImage(const QRect &pixels, QPoint *origin)>;
    static bool fillWithPicture(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                                const Picture &picture);

private:
    static bool draw(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                     const std::function<void(QPainter &, const QRectF &)> *paint, const Picture *picture,
                     QRgb color);
};

} // namespace swf
