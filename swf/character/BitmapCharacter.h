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

    // The image with a border of one pixel repeating its edges, for clipped
    // bitmap fills: smoothing then blends the edges with themselves, not
    // with the opposite side of the tiled image. Pixel (1, 1) is the
    // bitmap's (0, 0).
    const QImage &paddedImage() const;
    QImage transformedPaddedImage(const ColorTransform &cxform) const;

private:
    QImage m_image;
    mutable std::once_flag m_paddedOnce;
    mutable QImage m_padded;
    mutable std::mutex m_cacheMutex;
    struct Cached
    {
        ColorTransform cxform;
        QImage image;
    };
    mutable Cached m_cached, m_cachedPadded;
};

} // namespace swf
