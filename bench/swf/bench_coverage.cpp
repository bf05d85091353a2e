// Run by hand: bin/bench_coverage [ROUNDS]
//
// Times the coverage fill against the way it used to find its samples
// (the path drawn without anti-aliasing into an image four times larger,
// kept here as it was) and against Qt's own anti-aliased fill, on shapes
// of the sizes a full-HD frame holds. Prints the time of each and the
// ratios, all measured in this one run.
#include "render/CoverageFill.h"

#include "BenchReport.h"
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

bool supersampledFill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice, QRgb color)
{
    constexpr int kGrid = 4;
    auto *image = dynamic_cast<QImage *>(painter.device());
    if (!image || image->format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    QRect area = image->rect();
    if (painter.hasClipping())
        area &= painter.transform().map(painter.clipRegion()).boundingRect();
    const QRect bounds = toDevice.mapRect(path.controlPointRect()).toAlignedRect() & area;
    if (bounds.isEmpty())
        return true;
    const QTransform shift = QTransform::fromTranslate(-bounds.x(), -bounds.y());
    QImage samples(bounds.size() * kGrid, QImage::Format_Alpha8);
    samples.fill(0);
    {
        QPainter sp(&samples);
        sp.setRenderHint(QPainter::Antialiasing, false);
        sp.setTransform(toDevice * shift * QTransform::fromScale(kGrid, kGrid));
        sp.fillPath(path, Qt::black);
    }
    for (int y = 0; y < bounds.height(); ++y) {
        const uchar *rows[kGrid];
        for (int r = 0; r < kGrid; ++r)
            rows[r] = samples.constScanLine(y * kGrid + r);
        QRgb *dst = reinterpret_cast<QRgb *>(image->scanLine(bounds.y() + y)) + bounds.x();
        for (int x = 0; x < bounds.width(); ++x) {
            int inside = 0;
            for (int r = 0; r < kGrid; ++r) {
                const uchar *s = rows[r] + x * kGrid;
                inside += (s[0] >> 7) + (s[1] >> 7) + (s[2] >> 7) + (s[3] >> 7);
            }
            const QRgb s = color;
            if (inside == 0 || qAlpha(s) == 0)
                continue;
            if (inside == kGrid * kGrid && qAlpha(s) == 255) {
                dst[x] = s;
                continue;
            }
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

struct Shape
{
    const char *name;
    std::vector<QPainterPath> paths;    // twips
};

const QTransform kTwips = QTransform::fromScale(0.05, 0.05);

Shape ellipse()
{
    QPainterPath path;
    path.addEllipse(QRectF(12345, 6789, 12000, 12000));     // 600 px
    return {"ellipse 600 px", {path}};
}

Shape star()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const QPointF centre(19200, 10800);
    for (int i = 0; i < 5; ++i) {
        const double a = 2 * M_PI * (i * 2 % 5) / 5 - M_PI / 2;
        const QPointF p = centre + QPointF(std::cos(a), std::sin(a)) * 8000;   // 800 px across
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return {"star 800 px", {path}};
}

// Letter-sized outlines of quadratic curves with a counter, as glyphs
// are, scattered over the frame.
Shape glyphs()
{
    Shape shape{"600 glyphs 14 px", {}};
    for (int i = 0; i < 600; ++i) {
        const QPointF at(400 + (i % 40) * 900 + (i * 37 % 11) * 3.7, 400 + (i / 40) * 1300 + (i * 53 % 7) * 2.9);
        QPainterPath path;
        path.moveTo(at + QPointF(140, 0));
        path.quadTo(at + QPointF(280, 0), at + QPointF(280, 200));
        path.quadTo(at + QPointF(280, 400), at + QPointF(140, 400));
        path.quadTo(at + QPointF(0, 400), at + QPointF(0, 200));
        path.quadTo(at, at + QPointF(140, 0));
        path.moveTo(at + QPointF(140, 80));
        path.quadTo(at + QPointF(70, 80), at + QPointF(70, 200));
        path.quadTo(at + QPointF(70, 320), at + QPointF(140, 320));
        path.quadTo(at + QPointF(210, 320), at + QPointF(210, 200));
        path.quadTo(at + QPointF(210, 80), at + QPointF(140, 80));
        shape.paths.push_back(path);
    }
    return shape;
}

// The best of several rounds, in milliseconds per drawing of the shape.
double timeIt(int rounds, const std::function<void()> &draw)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        draw();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    // It draws into pictures only, and must run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QImage frame(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    frame.fill(QColor(240, 230, 200));
    QPainter painter(&frame);

    std::printf("%-18s %-12s %10s %10s %10s %10s %10s\n", "shape", "colour", "scan ms", "old ms", "Qt AA ms",
                "old/scan", "scan/Qt");
    const Shape shapes[] = {ellipse(), star(), glyphs()};
    const QColor colours[] = {QColor(30, 90, 200), QColor(200, 40, 40, 150)};
    double leastGain = 1e9, mostAgainstQt = 0;
    for (const Shape &shape : shapes) {
        for (const QColor &colour : colours) {
            const QRgb premultiplied = qPremultiply(colour.rgba());
            const double scan = timeIt(rounds, [&] {
                for (const QPainterPath &p : shape.paths)
                    swf::CoverageFill::fill(painter, p, kTwips, colour);
            });
            const double old = timeIt(rounds, [&] {
                for (const QPainterPath &p : shape.paths)
                    supersampledFill(painter, p, kTwips, premultiplied);
            });
            const double qt = timeIt(rounds, [&] {
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setTransform(kTwips);
                for (const QPainterPath &p : shape.paths)
                    painter.fillPath(p, colour);
                painter.restore();
            });
            std::printf("%-18s %-12s %10.3f %10.3f %10.3f %10.2f %10.2f\n", shape.name,
                        colour.alpha() == 255 ? "opaque" : "translucent", scan, old, qt, old / scan, scan / qt);
            leastGain = std::min(leastGain, old / scan);
            mostAgainstQt = std::max(mostAgainstQt, scan / qt);
        }
    }
    reportRatio("anti-aliased fill, supersampling / coverage fill, least over the shapes", leastGain);
    reportRatio("coverage fill / Qt's anti-aliased fill, most over the shapes", mostAgainstQt);
    return 0;
}
