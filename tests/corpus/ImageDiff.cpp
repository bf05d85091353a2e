#include "ImageDiff.h"

#include <cstdlib>

ImageDiff ImageDiff::compare(const QImage &rendered, const QImage &reference, int tolerance)
{
    ImageDiff d;
    if (rendered.size() != reference.size()) {
        d.sizeMismatch = true;
        d.pixels = qMax<long long>(1, (long long)reference.width() * reference.height());
        d.differingPixels = d.pixels;
        d.outlierChannels = d.pixels * 4;
        d.largest = 255;
        return d;
    }
    const QImage a = rendered.convertToFormat(QImage::Format_ARGB32);
    const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
    d.pixels = (long long)a.width() * a.height();
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int diffs[4] = {std::abs(qRed(pa[x]) - qRed(pb[x])),
                                  std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                  std::abs(qBlue(pa[x]) - qBlue(pb[x])),
                                  std::abs(qAlpha(pa[x]) - qAlpha(pb[x]))};
            bool differs = false;
            for (int c : diffs) {
                if (c > d.largest)
                    d.largest = c;
                if (c > tolerance) {
                    ++d.outlierChannels;
                    differs = true;
                }
            }
            if (differs)
                ++d.differingPixels;
        }
    }
    return d;
}
