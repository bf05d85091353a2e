#pragma once

#include "Character.h"

#include <QImage>
#include <mutex>

namespace swf {

// A bitmap of the dictionary, kept as premultiplied ARGB. Shapes fill with
// it; placed alone it is drawn at one twip per 1/20 pixel from its origin.
class BitmapCharacter : public Character
{
public:
    BitmapCharacter(int id, QImage image);

    Type type() const override { return Type::Bitmap; }
    QRectF bounds(double ratio = 0.0) const override;
    void draw(const RenderContext &context) const override;
    QPainterPath clipPath(double ratio = 0.0) const override;

    const QImage &image() const { return m_image; }
    // The pixels with `cxform` applied; the last result is kept, since a
    // placed bitmap is usually drawn with the same transform frame after frame.
    QImage transformedImage(const ColorTransform &cxform) const;

private:
    QImage m_image;
    mutable std::mutex m_cacheMutex;
    mutable ColorTransform m_cachedTransform;
    mutable QImage m_cachedImage;
};

} // namespace swf
