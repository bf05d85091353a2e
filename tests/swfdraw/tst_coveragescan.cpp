#include "render/CoverageFill.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QRegion>
#include <QTest>
#include <cmath>
#include <functional>

// The coverage fill samples its 4 x 4 points per pixel with its own scan
// converter; before, it drew the path without anti-aliasing into an image
// four times larger and counted. That older way is kept here, as it was,
// as the reference: the two must put the same bytes in the picture.
namespace {

using Paint = std::function<void(QPainter &, const QRectF &)>;

bool supersampledFill(QPainter &painter, const QPainterPath &path, const QTransform &toDevice, const Paint *paint,
                      QRgb color)
{
    constexpr int kGrid = 4;
    constexpr qint64 kMaxPixels = qint64(4096) * 4096;
    auto *image = dynamic_cast<QImage *>(painter.device());
    if (!image || image->format() != QImage::Format_ARGB32_Premultiplied
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || toDevice.type() == QTransform::TxProject)
        return false;
    QRect area = image->rect();
    if (painter.hasClipping()) {
        if (painter.transform().type() > QTransform::TxScale)
            return false;
        const QRegion clip = painter.transform().map(painter.clipRegion());
        if (clip.rectCount() > 1)
            return false;
        area &= clip.boundingRect();
    }
    const QRect bounds = toDevice.mapRect(path.controlPointRect()).toAlignedRect() & area;
    if (bounds.isEmpty())
        return true;
    if (qint64(bounds.width()) * bounds.height() > kMaxPixels / (kGrid * kGrid))
        return false;
    const QTransform shift = QTransform::fromTranslate(-bounds.x(), -bounds.y());
    QImage samples(bounds.size() * kGrid, QImage::Format_Alpha8);
    samples.fill(0);
    {
        QPainter sp(&samples);
        sp.setRenderHint(QPainter::Antialiasing, false);
        sp.setTransform(toDevice * shift * QTransform::fromScale(kGrid, kGrid));
        sp.fillPath(path, Qt::black);
    }
    QImage colours;
    if (paint) {
        colours = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        colours.fill(Qt::transparent);
        bool invertible = false;
        const QTransform back = (toDevice * shift).inverted(&invertible);
        if (!invertible)
            return true;
        QPainter cp(&colours);
        cp.setRenderHint(QPainter::Antialiasing, false);
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

// A backdrop with varied colours and alphas, so that every blend shows.
QImage backdrop(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qPremultiply(qRgba(random.bounded(256), random.bounded(256), random.bounded(256),
                                                    random.bounded(2) ? 255 : random.bounded(256))));
    return image;
}

struct Drawn
{
    QImage image;
    bool drawn = false;
};

Drawn drawWith(bool reference, const QPainterPath &path, const QTransform &toDevice, const QRect &clip,
               const QColor &color, const Paint *paint = nullptr, QSize size = {96, 72})
{
    Drawn out{backdrop(size)};
    QPainter painter(&out.image);
    if (!clip.isNull())
        painter.setClipRect(clip);
    if (reference) {
        QColor faded = color;
        faded.setAlphaF(color.alphaF() * painter.opacity());
        out.drawn = supersampledFill(painter, path, toDevice, paint, qPremultiply(faded.rgba()));
    } else {
        out.drawn = paint ? swf::CoverageFill::fill(painter, path, toDevice, *paint)
                          : swf::CoverageFill::fill(painter, path, toDevice, color);
    }
    return out;
}

// Pixels that differ, with the first of them named.
QByteArray differences(const QImage &actual, const QImage &expected, int *count)
{
    *count = 0;
    QByteArray first;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y) && (*count)++ == 0)
                first = "first at " + QByteArray::number(x) + "," + QByteArray::number(y) + ": "
                    + QByteArray::number(actual.pixel(x, y), 16) + " instead of "
                    + QByteArray::number(expected.pixel(x, y), 16);
    return QByteArray::number(*count) + " pixels differ, " + first;
}

QPainterPath star(QPointF centre, double outer, double inner, int points, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    for (int i = 0; i < points; ++i) {
        // Every second tip: the outline crosses itself.
        const double a = 2 * M_PI * (i * 2 % points) / points - M_PI / 2;
        const QPointF p = centre + QPointF(std::cos(a), std::sin(a)) * (i % 2 ? inner : outer);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

const QTransform kTwips = QTransform::fromScale(0.05, 0.05);

} // namespace

class TestCoverageScan : public QObject
{
    Q_OBJECT

private slots:
    void matchesSupersampling_data();
    void matchesSupersampling();
    void randomShapesMatch();
    void paintedColoursMatch();
    void farOffPathsStayInside();
    void pictureColoursMatchPainted_data();
    void pictureColoursMatchPainted();
    void rowColoursMatchAWidePicture_data();
    void rowColoursMatchAWidePicture();
    void pictureThatCannotServeDrawsNothing_data();
    void pictureThatCannotServeDrawsNothing();
    void declinesWhatItCannotBlend_data();
    void declinesWhatItCannotBlend();
    void clipEdgesRoundedAsQt_data();
    void clipEdgesRoundedAsQt();
};

void TestCoverageScan::matchesSupersampling_data()
{
    QTest::addColumn<QPainterPath>("path");
    QTest::addColumn<QTransform>("toDevice");
    QTest::addColumn<QRect>("clip");
    QTest::addColumn<QColor>("color");

    const QColor opaque(200, 40, 90);
    const QColor translucent(20, 160, 240, 140);
    auto rect = [](QRectF r) {
        QPainterPath p;
        p.addRect(r);
        return p;
    };
    auto ellipse = [](QRectF r, Qt::FillRule rule = Qt::OddEvenFill) {
        QPainterPath p;
        p.setFillRule(rule);
        p.addEllipse(r);
        return p;
    };

    QTest::newRow("rect on pixel edges") << rect({100, 200, 600, 400}) << kTwips << QRect() << opaque;
    QTest::newRow("rect on sample edges") << rect({105, 215, 605, 410}) << kTwips << QRect() << opaque;
    QTest::newRow("rect at fractions") << rect({103.3, 57.9, 401.7, 233.3}) << kTwips << QRect() << translucent;
    QTest::newRow("rect on sample centres") << rect({102.5, 52.5, 405, 240}) << kTwips << QRect() << opaque;
    QTest::newRow("vertical sliver") << rect({313.1, 40, 1.3, 700}) << kTwips << QRect() << opaque;
    QTest::newRow("sliver between samples") << rect({301, 40, 3, 700}) << kTwips << QRect() << opaque;
    QTest::newRow("horizontal sliver") << rect({20, 401.9, 1500, 2.2}) << kTwips << QRect() << translucent;
    QTest::newRow("slanted sliver") << [] {
        QPainterPath p;
        p.moveTo(30, 30);
        p.lineTo(1700, 1300);
        p.lineTo(1702.7, 1300);
        p.lineTo(32.7, 30);
        return p;
    }() << kTwips << QRect() << opaque;

    QTest::newRow("ellipse") << ellipse({137, 91, 1201, 877}) << kTwips << QRect() << opaque;
    QTest::newRow("small circle") << ellipse({411.3, 377.7, 37, 37}) << kTwips << QRect() << translucent;
    QTest::newRow("quadratic curves") << [] {
        QPainterPath p;
        p.moveTo(100, 700);
        p.quadTo(400, -300, 900, 500);
        p.quadTo(1600, 1300, 1800, 200);
        p.quadTo(1000, 1400, 100, 700);
        return p;
    }() << kTwips << QRect() << opaque;
    QTest::newRow("cubic loop") << [] {
        QPainterPath p;
        p.moveTo(200, 1200);
        p.cubicTo(1900, -400, -200, -400, 1500, 1200);
        p.closeSubpath();
        return p;
    }() << kTwips << QRect() << translucent;

    QTest::newRow("star, odd-even") << star({900, 700}, 650, 650, 5, Qt::OddEvenFill) << kTwips << QRect() << opaque;
    QTest::newRow("star, winding") << star({900, 700}, 650, 650, 5, Qt::WindingFill) << kTwips << QRect() << opaque;
    QTest::newRow("seven tips, winding") << star({930, 690}, 640, 300, 7, Qt::WindingFill) << kTwips << QRect()
                                         << translucent;

    auto holed = [](Qt::FillRule rule, bool reversed) {
        QPainterPath p;
        p.setFillRule(rule);
        p.addRect(QRectF(111, 93, 1500, 1100));
        QPainterPath hole;
        hole.addEllipse(QRectF(402.2, 311.7, 700, 600));
        p.addPath(reversed ? hole.toReversed() : hole);
        return p;
    };
    QTest::newRow("hole, odd-even") << holed(Qt::OddEvenFill, false) << kTwips << QRect() << opaque;
    QTest::newRow("hole, winding reversed") << holed(Qt::WindingFill, true) << kTwips << QRect() << opaque;
    QTest::newRow("no hole, winding same way") << holed(Qt::WindingFill, false) << kTwips << QRect() << opaque;

    QTest::newRow("past every side") << ellipse({-600, -400, 3200, 2400}) << kTwips << QRect() << translucent;
    QTest::newRow("past the corner") << ellipse({1500, 1100, 800, 700}) << kTwips << QRect() << opaque;
    QTest::newRow("clipped") << ellipse({137, 91, 1201, 877}) << kTwips << QRect(13, 9, 37, 29) << opaque;
    QTest::newRow("clip beside the path") << ellipse({137, 91, 400, 300}) << kTwips << QRect(60, 40, 10, 10)
                                          << opaque;

    QTest::newRow("rotated rect") << rect({-300, -200, 600, 400})
                                  << QTransform().translate(47.3, 35.1).rotate(30).scale(0.05, 0.05) << QRect()
                                  << opaque;
    QTest::newRow("rotated star") << star({0, 0}, 600, 600, 5, Qt::WindingFill)
                                  << QTransform().translate(48, 36).rotate(-17).scale(0.06, 0.04) << QRect()
                                  << translucent;
    QTest::newRow("sheared ellipse") << ellipse({-500, -300, 1000, 600})
                                     << QTransform(0.05, 0.02, 0.03, 0.05, 45.5, 36.25) << QRect() << opaque;
    QTest::newRow("mirrored curves") << ellipse({100, 100, 900, 700}, Qt::WindingFill)
                                     << QTransform(-0.07, 0, 0, -0.06, 90, 70) << QRect() << opaque;
    QTest::newRow("magnified") << ellipse({10.3, 10.1, 9.7, 7.9}) << QTransform::fromScale(6.1, 6.3) << QRect()
                               << translucent;
    // Far larger than the picture: Qt's rasteriser clips outlines that
    // reach past its coordinate limit before it rounds them.
    QTest::newRow("rim of a huge circle") << ellipse({-20000, -5, 20070, 20000})
                                          << QTransform::fromScale(20, 20).translate(0, 0.3) << QRect()
                                          << translucent;
    QTest::newRow("huge slanted edge") << [] {
        QPainterPath p;
        p.moveTo(-3e6, -1e6);
        p.lineTo(3e6, 1.3e6);
        p.lineTo(-3e6, 2e6);
        return p;
    }() << kTwips << QRect() << opaque;
    QTest::newRow("reaching millions of pixels away") << [] {
        QPainterPath p;
        p.setFillRule(Qt::WindingFill);
        p.moveTo(-4e8, -3e8);
        p.lineTo(4e8, -1e8);
        p.lineTo(700, 1300);
        p.lineTo(-2e8, 5e8);
        p.closeSubpath();
        return p;
    }() << kTwips << QRect() << opaque;
    QTest::newRow("far-off sliver ends") << [] {
        QPainterPath p;
        p.moveTo(-3e8, -1e8);
        p.lineTo(3e8, 1.3e8);
        p.lineTo(-3e8, 2e8);
        return p;
    }() << QTransform::fromScale(0.05, 0.05).translate(0, 10.3) << QRect() << opaque;
    QTest::newRow("glyph-sized") << ellipse({700.1, 500.3, 61, 87}) << kTwips << QRect() << opaque;

    QTest::newRow("empty") << QPainterPath() << kTwips << QRect() << opaque;
    QTest::newRow("zero width") << rect({500, 200, 0, 700}) << kTwips << QRect() << opaque;
    QTest::newRow("line") << [] {
        QPainterPath p;
        p.moveTo(100, 100);
        p.lineTo(1500, 1200);
        return p;
    }() << kTwips << QRect() << opaque;
    QTest::newRow("only moves") << [] {
        QPainterPath p;
        p.moveTo(100, 100);
        p.moveTo(900, 800);
        return p;
    }() << kTwips << QRect() << opaque;
    QTest::newRow("squeezed flat") << rect({100, 100, 900, 700}) << QTransform(0.05, 0.05, 0.05, 0.05, 0, 0)
                                   << QRect() << opaque;
    QTest::newRow("transparent") << rect({100, 100, 900, 700}) << kTwips << QRect() << QColor(0, 0, 0, 0);
}

void TestCoverageScan::matchesSupersampling()
{
    QFETCH(QPainterPath, path);
    QFETCH(QTransform, toDevice);
    QFETCH(QRect, clip);
    QFETCH(QColor, color);

    const Drawn expected = drawWith(true, path, toDevice, clip, color);
    const Drawn actual = drawWith(false, path, toDevice, clip, color);
    QCOMPARE(actual.drawn, expected.drawn);
    int count = 0;
    const QByteArray report = differences(actual.image, expected.image, &count);
    QVERIFY2(count == 0, report.constData());
}

// Random outlines of lines and curves under random transforms: samples
// that fall exactly on edges and vertices come up here far more often
// than in the table.
void TestCoverageScan::randomShapesMatch()
{
    QRandomGenerator random(2024);
    auto coordinate = [&](double range) { return random.bounded(range * 8) / 8.0 - range * 0.1; };
    int mismatches = 0;
    QByteArray firstReport;
    for (int shape = 0; shape < 300; ++shape) {
        QPainterPath path;
        path.setFillRule(random.bounded(2) ? Qt::WindingFill : Qt::OddEvenFill);
        const int contours = 1 + random.bounded(3);
        for (int c = 0; c < contours; ++c) {
            path.moveTo(coordinate(2000), coordinate(1500));
            const int pieces = 2 + random.bounded(6);
            for (int i = 0; i < pieces; ++i) {
                switch (random.bounded(3)) {
                case 0:
                    path.lineTo(coordinate(2000), coordinate(1500));
                    break;
                case 1:
                    path.quadTo(coordinate(2000), coordinate(1500), coordinate(2000), coordinate(1500));
                    break;
                default:
                    path.cubicTo(coordinate(2000), coordinate(1500), coordinate(2000), coordinate(1500),
                                 coordinate(2000), coordinate(1500));
                }
            }
            path.closeSubpath();
        }
        QTransform toDevice = kTwips;
        if (shape % 3 == 1)
            toDevice = QTransform().translate(48, 36).rotate(random.bounded(360.0)).translate(-48, -36) * kTwips;
        else if (shape % 3 == 2)
            toDevice = QTransform::fromScale(0.05 + random.bounded(0.1), 0.05 + random.bounded(0.1))
                * QTransform::fromTranslate(random.bounded(20.0) - 10, random.bounded(20.0) - 10);
        const QColor color(random.bounded(256), random.bounded(256), random.bounded(256),
                           shape % 2 ? 255 : random.bounded(256));
        const Drawn expected = drawWith(true, path, toDevice, {}, color);
        const Drawn actual = drawWith(false, path, toDevice, {}, color);
        QCOMPARE(actual.drawn, expected.drawn);
        int count = 0;
        const QByteArray report = differences(actual.image, expected.image, &count);
        if (count && mismatches++ == 0)
            firstReport = "shape " + QByteArray::number(shape) + ": " + report;
    }
    QVERIFY2(mismatches == 0, firstReport.constData());
}

void TestCoverageScan::paintedColoursMatch()
{
    const Paint paint = [](QPainter &p, const QRectF &area) {
        QLinearGradient gradient(area.topLeft(), area.bottomRight());
        gradient.setColorAt(0, QColor(255, 0, 0, 90));
        gradient.setColorAt(0.5, QColor(0, 255, 0));
        gradient.setColorAt(1, QColor(0, 0, 255, 0));
        p.fillRect(area, gradient);
    };
    const QPainterPath path = star({900, 700}, 650, 250, 9, Qt::WindingFill);
    const QTransform toDevice = QTransform().translate(3.3, 1.7).rotate(11) * kTwips;
    const Drawn expected = drawWith(true, path, toDevice, {}, {}, &paint);
    const Drawn actual = drawWith(false, path, toDevice, {}, {}, &paint);
    QVERIFY(actual.drawn);
    int count = 0;
    const QByteArray report = differences(actual.image, expected.image, &count);
    QVERIFY2(count == 0, report.constData());
    QVERIFY(actual.image != backdrop(actual.image.size()));
}

// Paths reaching millions of pixels away are clipped to the picture
// before they are rounded. Qt clips such paths too, but along other lines,
// so the edges through the picture are rounded from other end points and
// a sample lying within a fraction of a sample of one may fall the other
// way (the table's far-off rows happen to agree exactly). Here the fill is
// held to the exact geometry instead: every pixel's coverage agrees with
// QPainterPath::contains at its sample centres, leaving out the pixels
// with a sample next to an edge.
void TestCoverageScan::farOffPathsStayInside()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.moveTo(-4e8, -3e8);
    path.lineTo(4e8, -1e8);
    path.lineTo(700, 1300);
    path.lineTo(-2e8, 5e8);
    path.closeSubpath();
    QImage image(96, 72, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QVERIFY(swf::CoverageFill::fill(painter, path, kTwips, QColor(Qt::black)));
    }
    const QPainterPath device = kTwips.map(path);
    int checked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            int inside = 0, near = 0;
            for (int j = 0; j < 4; ++j) {
                for (int i = 0; i < 4; ++i) {
                    const QPointF p(x + (i + 0.5) / 4, y + (j + 0.5) / 4);
                    const bool in = device.contains(p);
                    inside += in;
                    // A sample this close to an edge may go either way.
                    const QRectF around(p - QPointF(0.02, 0.02), QSizeF(0.04, 0.04));
                    near += device.intersects(around) && !device.contains(around);
                }
            }
            const int covered = 255 - qRed(image.pixel(x, y));
            const int expected = inside * 256 / 16;
            if (near == 0) {
                QVERIFY2(std::abs(covered - std::min(255, expected)) <= 1,
                         QByteArray::number(x) + "," + QByteArray::number(y) + " covers "
                             + QByteArray::number(covered) + ", not " + QByteArray::number(expected));
                ++checked;
            }
        }
    }
    QVERIFY(checked > image.width() * image.height() / 2);
    QCOMPARE(image.pixel(90, 70), qRgb(255, 255, 255));  // below the edge that ends at 35,65
    QCOMPARE(image.pixel(90, 1), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(5, 60), qRgb(0, 0, 0));
}

// A picture of device pixels with opaque, translucent and transparent
// areas, bigger than any fill here, its top left at `origin`.
QImage devicePicture(QSize size)
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(11);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int band = (x / 7 + y / 5) % 4;
            const int alpha = band < 2 ? 255 : band == 2 ? int(random.bounded(256)) : 0;
            picture.setPixel(x, y, qPremultiply(qRgba(random.bounded(256), random.bounded(256),
                                                      random.bounded(256), alpha)));
        }
    }
    return picture;
}

// The colours of a picture laid under the coverage must blend exactly as
// the same picture painted into the colours first, whatever part of it
// the fill asks for, with or without a clip.
void TestCoverageScan::pictureColoursMatchPainted_data()
{
    QTest::addColumn<QRect>("clip");
    QTest::addColumn<double>("angle");

    QTest::newRow("whole") << QRect() << 0.0;
    QTest::newRow("rotated") << QRect() << 23.0;
    QTest::newRow("clipped") << QRect(17, 9, 41, 33) << 7.0;
}

void TestCoverageScan::pictureColoursMatchPainted()
{
    QFETCH(QRect, clip);
    QFETCH(double, angle);

    const QPoint origin(-5, -3);
    const QImage picture = devicePicture({110, 84});
    const QPainterPath path = star({950, 720}, 700, 300, 7, Qt::OddEvenFill);
    const QTransform toDevice = QTransform().translate(1.6, 2.2).rotate(angle) * kTwips;
    // The picture painted into the colours pixel for pixel: the colours'
    // painter maps twips, and its device is offset from the target's by a
    // whole number of pixels.
    const Paint paint = [&](QPainter &p, const QRectF &) {
        const QTransform offset = toDevice.inverted() * p.transform();
        p.resetTransform();
        p.drawImage(origin + QPoint(qRound(offset.dx()), qRound(offset.dy())), picture);
    };
    const Drawn expected = drawWith(false, path, toDevice, clip, {}, &paint);
    QRect asked;
    Drawn actual{backdrop({96, 72})};
    {
        QPainter painter(&actual.image);
        if (!clip.isNull())
            painter.setClipRect(clip);
        actual.drawn = swf::CoverageFill::fillWithPicture(painter, path, toDevice,
                                                          [&](const QRect &pixels, QPoint *at) {
                                                              asked = pixels;
                                                              *at = origin;
                                                              return picture;
                                                          });
    }
    QVERIFY(expected.drawn);
    QVERIFY(actual.drawn);
    int count = 0;
    const QByteArray report = differences(actual.image, expected.image, &count);
    QVERIFY2(count == 0, report.constData());
    // Nothing is blended outside the pixels it asked the picture for.
    const QImage before = backdrop(actual.image.size());
    QVERIFY(actual.image != before);
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (!asked.contains(x, y))
                QCOMPARE(actual.image.pixel(x, y), before.pixel(x, y));
    if (!clip.isNull())
        QVERIFY(clip.contains(asked));
}

// A picture one pixel wide gives every pixel of a row its colour: the
// same bytes as the picture widened to the whole fill, clipped or not.
void TestCoverageScan::rowColoursMatchAWidePicture_data()
{
    QTest::addColumn<QRect>("clip");

    QTest::newRow("whole") << QRect();
    QTest::newRow("clipped") << QRect(17, 9, 41, 33);
}

void TestCoverageScan::rowColoursMatchAWidePicture()
{
    QFETCH(QRect, clip);

    const QImage column = devicePicture({110, 84}).copy(7, 0, 1, 84);
    QImage wide(110, 84, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < wide.height(); ++y)
        for (int x = 0; x < wide.width(); ++x)
            wide.setPixel(x, y, column.pixel(0, y));
    const QPainterPath path = star({950, 720}, 700, 300, 7, Qt::WindingFill);
    const QTransform toDevice = QTransform().translate(1.6, 2.2).rotate(11) * kTwips;
    auto fillFrom = [&](const QImage &picture) {
        Drawn out{backdrop({96, 72})};
        QPainter painter(&out.image);
        if (!clip.isNull())
            painter.setClipRect(clip);
        out.drawn = swf::CoverageFill::fillWithPicture(painter, path, toDevice, [&](const QRect &, QPoint *at) {
            *at = QPoint(-5, -3);
            return picture;
        });
        return out;
    };
    const Drawn expected = fillFrom(wide);
    const Drawn actual = fillFrom(column);
    QVERIFY(expected.drawn);
    QVERIFY(actual.drawn);
    QVERIFY(actual.image != backdrop(actual.image.size()));
    int count = 0;
    const QByteArray report = differences(actual.image, expected.image, &count);
    QVERIFY2(count == 0, report.constData());
}

void TestCoverageScan::pictureThatCannotServeDrawsNothing_data()
{
    QTest::addColumn<double>("opacity");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<bool>("empty");

    QTest::newRow("faded painter") << 0.5 << QPoint(0, 0) << false;
    QTest::newRow("picture short of the fill") << 1.0 << QPoint(12, 0) << false;
    QTest::newRow("no picture") << 1.0 << QPoint(0, 0) << true;
}

void TestCoverageScan::pictureThatCannotServeDrawsNothing()
{
    QFETCH(double, opacity);
    QFETCH(QPoint, origin);
    QFETCH(bool, empty);

    QImage image = backdrop({40, 30});
    const QImage before = image;
    QPainterPath path;
    path.addEllipse(QRectF(10, 10, 700, 500));
    const QImage picture = empty ? QImage() : devicePicture({40, 30});
    QPainter painter(&image);
    painter.setOpacity(opacity);
    QVERIFY(!swf::CoverageFill::fillWithPicture(painter, path, kTwips, [&](const QRect &, QPoint *at) {
        *at = origin;
        return picture;
    }));
    painter.end();
    QCOMPARE(image, before);
}

void TestCoverageScan::declinesWhatItCannotBlend_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("twoRects");

    QTest::newRow("straight alpha") << int(QImage::Format_ARGB32) << int(QPainter::CompositionMode_SourceOver)
                                    << false;
    QTest::newRow("no alpha") << int(QImage::Format_RGB32) << int(QPainter::CompositionMode_SourceOver) << false;
    QTest::newRow("source mode") << int(QImage::Format_ARGB32_Premultiplied) << int(QPainter::CompositionMode_Source)
                                 << false;
    QTest::newRow("clip of two rects") << int(QImage::Format_ARGB32_Premultiplied)
                                       << int(QPainter::CompositionMode_SourceOver) << true;
}

void TestCoverageScan::declinesWhatItCannotBlend()
{
    QFETCH(int, format);
    QFETCH(int, mode);
    QFETCH(bool, twoRects);

    QImage image(40, 30, QImage::Format(format));
    image.fill(Qt::white);
    const QImage before = image;
    QPainterPath path;
    path.addEllipse(QRectF(10, 10, 700, 500));
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode(mode));
    if (twoRects)
        painter.setClipRegion(QRegion(0, 0, 10, 10) + QRegion(20, 20, 10, 10));
    QVERIFY(!swf::CoverageFill::fill(painter, path, kTwips, QColor(Qt::red)));
    painter.end();
    QCOMPARE(image, before);
}

void TestCoverageScan::clipEdgesRoundedAsQt_data()
{
    QTest::addColumn<QRectF>("clip");
    QTest::newRow("whole pixels") << QRectF(3, 4, 20, 10);
    QTest::newRow("fractions") << QRectF(2.3, 7.7, 30.6, 9.49);
    // Rounded edge by edge, the right and bottom edges reach a pixel
    // further than the rounded width and height would.
    QTest::newRow("edges past the rounded size") << QRectF(1.4, 2.4, 10.2, 5.2);
    QTest::newRow("edges past the rounded size, far in") << QRectF(25.4, 3.3, 12.2, 20.3);
}

// A fill over all of a clip given in fractions of a pixel (a stage drawn
// at a size of its own) covers the pixels the raster engine lets through.
void TestCoverageScan::clipEdgesRoundedAsQt()
{
    QFETCH(QRectF, clip);
    QImage actual(60, 40, QImage::Format_ARGB32_Premultiplied);
    actual.fill(Qt::white);
    QImage expected = actual;
    QPainterPath everything;
    everything.addRect(0, 0, 60 * 20, 40 * 20);
    {
        QPainter painter(&actual);
        painter.setClipRect(clip);
        QVERIFY(swf::CoverageFill::fill(painter, everything, QTransform::fromScale(0.05, 0.05), QColor(Qt::red)));
    }
    {
        QPainter painter(&expected);
        painter.setClipRect(clip);
        painter.fillRect(expected.rect(), Qt::red);
    }
    QCOMPARE(actual, expected);
}

QTEST_MAIN(TestCoverageScan)
#include "tst_coveragescan.moc"
