#include "character/FillStyle.h"

#include "character/BitmapCharacter.h"
#include "character/Interpolation.h"

#include <QPainter>
#include <QPainterPath>

namespace swf {

namespace {

bool onlyScalesAlpha(const ColorTransform &c)
{
    return c.rMult == 256 && c.gMult == 256 && c.bMult == 256 && c.rAdd == 0 && c.gAdd == 0
        && c.bAdd == 0 && c.aAdd == 0 && c.aMult >= 0;
}

} // namespace

QBrush FillStyle::brush(const ColorTransform &cxform, double *opacity, const QPainter *painter) const
{
    if (opacity)
        *opacity = 1.0;
    switch (kind) {
    case Kind::Solid:
        return QBrush(cxform.apply(color));
    case Kind::Gradient:
        return painter ? gradient.brush(cxform, *painter) : gradient.brush(cxform);
    case Kind::Bitmap:
        break;
    }
    if (!bitmap || bitmap->image().isNull())
        return QBrush(Qt::NoBrush);
    QBrush brush;
    const bool alphaOnly = opacity && onlyScalesAlpha(cxform);
    if (alphaOnly)
        *opacity = std::min(cxform.aMult, 256) / 256.0;
    if (bitmapRepeat) {
        brush = QBrush(alphaOnly ? bitmap->image() : bitmap->transformedImage(cxform));
        brush.setTransform(bitmapMatrix);
    } else {
        brush = QBrush(alphaOnly ? bitmap->paddedImage() : bitmap->transformedPaddedImage(cxform));
        brush.setTransform(QTransform::fromTranslate(-1, -1) * bitmapMatrix);
    }
    return brush;
}

void FillStyle::fill(QPainter &painter, const QPainterPath &path, const ColorTransform &cxform) const
{
    if (kind == Kind::Solid) {
        painter.fillPath(path, cxform.apply(color));
        return;
    }
    if (kind == Kind::Gradient) {
        const QBrush b = gradient.brush(cxform, painter, path.controlPointRect());
        if (b.style() != Qt::NoBrush)
            painter.fillPath(path, b);
        return;
    }
    double opacity = 1.0;
    const QBrush b = brush(cxform, &opacity);
    if (b.style() == Qt::NoBrush || opacity <= 0.0)
        return;
    // A clipped bitmap fill usually covers exactly the bitmap, so a texture
    // brush draws it too (with the edges of the path anti-aliased, which a
    // clip region would not be); its padding stands for the edges extended.
    const double oldOpacity = painter.opacity();
    const bool oldSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(oldOpacity * opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, bitmapSmooth);
    painter.fillPath(path, b);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, oldSmooth);
    painter.setOpacity(oldOpacity);
}

FillStyle FillStyle::interpolated(const FillStyle &from, const FillStyle &to, double t)
{
    using interpolation::mix;
    FillStyle out = from;
    out.color = mix(from.color, to.color, t);
    if (from.kind == Kind::Gradient && to.kind == Kind::Gradient)
        out.gradient = Gradient::interpolated(from.gradient, to.gradient, t);
    out.bitmapMatrix = mix(from.bitmapMatrix, to.bitmapMatrix, t);
    return out;
}

} // namespace swf
