#include "character/BitmapCharacter.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace swf {

namespace {

bool sameTransform(const ColorTransform &a, const ColorTransform &b)
{
    return a.rMult == b.rMult && a.gMult == b.gMult && a.bMult == b.bMult && a.aMult == b.aMult
        && a.rAdd == b.rAdd && a.gAdd == b.gAdd && a.bAdd == b.bAdd && a.aAdd == b.aAdd;
}

QImage applyTransform(const QImage &source, const ColorTransform &c)
{
    // The transform works on straight colour: unpremultiply, transform,
    // premultiply again.
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(clamp(qRed(p) * c.rMult / 256 + c.rAdd),
                            clamp(qGreen(p) * c.gMult / 256 + c.gAdd),
                            clamp(qBlue(p) * c.bMult / 256 + c.bAdd),
                            clamp(qAlpha(p) * c.aMult / 256 + c.aAdd));
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

BitmapCharacter::BitmapCharacter(int id, QImage image)
    : Character(id), m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied))
{
}

QRectF BitmapCharacter::bounds(double) const
{
    return QRectF(0, 0, m_image.width() * 20.0, m_image.height() * 20.0);
}

QPainterPath BitmapCharacter::clipPath(double) const
{
    QPainterPath path;
    path.addRect(bounds());
    return path;
}

QImage BitmapCharacter::transformedImage(const ColorTransform &cxform) const
{
    if (cxform.isIdentity())
        return m_image;
    std::lock_guard lock(m_cacheMutex);
    if (m_cached.image.isNull() || !sameTransform(cxform, m_cached.cxform))
        m_cached = {cxform, applyTransform(m_image, cxform)};
    return m_cached.image;
}

const QImage &BitmapCharacter::paddedImage() const
{
    std::call_once(m_paddedOnce, [this] {
        if (m_image.isNull())
            return;
        const int w = m_image.width(), h = m_image.height();
        QImage padded(w + 2, h + 2, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h + 2; ++y) {
            const auto *source = reinterpret_cast<const QRgb *>(m_image.constScanLine(std::clamp(y - 1, 0, h - 1)));
            auto *line = reinterpret_cast<QRgb *>(padded.scanLine(y));
            line[0] = source[0];
            std::copy(source, source + w, line + 1);
            line[w + 1] = source[w - 1];
        }
        m_padded = padded;
    });
    return m_padded;
}

QImage BitmapCharacter::transformedPaddedImage(const ColorTransform &cxform) const
{
    if (cxform.isIdentity())
        return paddedImage();
    const QImage &padded = paddedImage();
    std::lock_guard lock(m_cacheMutex);
    if (m_cachedPadded.image.isNull() || !sameTransform(cxform, m_cachedPadded.cxform))
        m_cachedPadded = {cxform, applyTransform(padded, cxform)};
    return m_cachedPadded.image;
}

void BitmapCharacter::draw(const RenderContext &context) const
{
    if (!context.painter || m_image.isNull())
        return;
    QPainter &painter = *context.painter;
    const QTransform old = painter.transform();
    painter.setTransform(QTransform::fromScale(20, 20) * context.matrix * old);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, context.antialias);
    painter.drawImage(QPointF(0, 0), transformedImage(context.cxform));
    painter.setTransform(old);
}

} // namespace swf
