#include "CoverageFill.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cmath>
#include <vector>

namespace swf {

namespace {

constexpr int kGrid = 4;              // sample points per pixel on each axis
// Larger areas are left to Qt: the samples would take too much memory.
constexpr qint64 kMaxPixels = qint64(4096) * 4096;

} // namespace

bool CoverageFill::fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const std::function<void(QPainter &, const QRectF &)> &paint)
{
    return draw(painter, path, toDevice, &paint, 0);
}

bool CoverageFill::fill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const QColor &color)
{
    QColor faded = color;
    faded.setAlphaF(color.alphaF() * painter.opacity());
    return draw(painter, path, toDevice, nullptr, qPremultiply(faded.rgba()));
}

bool CoverageFill::draw(QPainter &painter, const QPainterPath &path, const QTransform &toDevice,
                        const std::function<void(QPainter &, const QRectF &)> *paint, QRgb color)
{
    auto *image = dynamic_cast<QImage *>(painter.device());
    if (!image || image->format() != QImage::Format_ARGB32_Premultiplied || image->devicePixelRatio() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || toDevice.type() == QTransform::TxProject)
        return false;
    QRect area = image->rect();
    if (painter.hasClipping()) {
        // Qt builds the clip region from polygons under a rotating or
        // shearing painter, and can leak doing so; such clips are left to
        // Qt's own drawing.
        if (painter.transform().type() > QTransform::TxScale)
            return false;
        const QRegion clip = painter.transform().map(painter.clipRegion());
        if (clip.rectCount() > 1)
            return false;
        area &= clip.boundingRect();
    }
    const QRectF twips = path.controlPointRect();
    const QRect bounds = toDevice.mapRect(twips).toAlignedRect() & area;
    if (bounds.isEmpty())
        return true;
    if (qint64(bounds.width()) * bounds.height() > kMaxPixels / (kGrid * kGrid))
        return false;
    const QTransform shift = QTransform::fromTranslate(-bounds.x(), -bounds.y());

    // The samples: the path drawn without anti-aliasing at four times the
    // resolution, where each small pixel is in or out by its centre.
    QImage samples(bounds.size() * kGrid, QImage::Format_Alpha8);
    if (samples.isNull())
        return false;
    samples.fill(0);
    {
        QPainter sp(&samples);
        sp.setRenderHint(QPainter::Antialiasing, false);
        sp.setTransform(toDevice * shift * QTransform::fromScale(kGrid, kGrid));
        sp.fillPath(path, Qt::black);
    }

    // The colours over the whole area, as if fully covered.
    QImage colours;
    if (paint) {
        colours = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        if (colours.isNull())
            return false;
        colours.fill(Qt::transparent);
        bool invertible = false;
        const QTransform back = (toDevice * shift).inverted(&invertible);
        if (!invertible)
            return true;                // squeezed flat: nothing is covered
        QPainter cp(&colours);
        cp.setRenderHint(QPainter::Antialiasing, false);
        cp.setRenderHint(QPainter::SmoothPixmapTransform, painter.testRenderHint(QPainter::SmoothPixmapTransform));
        cp.setOpacity(painter.opacity());
        cp.setTransform(toDevice * shift);
        (*paint)(cp, back.mapRect(QRectF(colours.rect()).adjusted(-1, -1, 1, 1)));
    }

    for (int y = 0; y < bounds.height(); ++y) {
        const uchar *rows[kGrid];
        for (int r = 0; r < kGrid; ++r)
            rows[r] = samples.constScanLine(y * kGrid + r);
        const QRgb *src = paint ? reinterpret_cast<const QRgb *>(colours.constScanLine(y)) : nullptr;
        QRgb *dst = reinterpret_cast<QRgb *>(image->scanLine(bounds.y() + y)) + bounds.x();
        for (int x = 0; x < bounds.width(); ++x) {
            int inside = 0;
            for (int r = 0; r < kGrid; ++r) {
                const uchar *s = rows[r] + x * kGrid;
                inside += (s[0] >> 7) + (s[1] >> 7) + (s[2] >> 7) + (s[3] >> 7);
            }
            const QRgb s = src ? src[x] : color;
            if (inside == 0 || qAlpha(s) == 0)
                continue;
            if (inside == kGrid * kGrid && qAlpha(s) == 255) {
                dst[x] = s;
                continue;
            }
            // Players blend in 1/256 steps: a sixteenth is 16 of them, and
            // the backdrop keeps what the covered colour leaves of 256.
            const int share = inside * 256 / (kGrid * kGrid);
            const int keep = 256 - (qAlpha(s) * share + 127) / 255;
            const QRgb d = dst[x];
            auto mixed = [&](int sc, int dc) { return std::min(255, (sc * share + dc * keep) >> 8); };
            dst[x] = qRgba(mixed(qRed(s), qRed(d)), mixed(qGreen(s), qGreen(d)), mixed(qBlue(s), qBlue(d)),
                           mixed(qAlpha(s), qAlpha(d)));
        }
    }
    return true;
}

} // namespace swf
