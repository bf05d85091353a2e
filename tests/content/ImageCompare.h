#pragma once

#include <QImage>
#include <algorithm>
#include <cstdlib>

// Picture comparisons shared by the content tests.
namespace ImageCompare {

// Mean absolute difference per channel, 0..255.
inline double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255.0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col]))
                + std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// The share of pixels (0..1) where some channel differs by more than
// `tolerance`, seen at a quarter of the size: blind to how two renderers
// antialias an outline, not to a missing, moved or recoloured thing.
inline double changedShare(const QImage &a, const QImage &b, int tolerance = 48)
{
    auto small = [](const QImage &i) {
        return i.convertToFormat(QImage::Format_RGB32).scaled(i.size() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage x = small(a), y = small(b);
    if (x.size() != y.size())
        return 1.0;
    qint64 changed = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (std::max({std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                          std::abs(qBlue(p[col]) - qBlue(q[col]))}) > tolerance)
                ++changed;
    }
    return double(changed) / (double(x.width()) * x.height());
}

} // namespace ImageCompare
