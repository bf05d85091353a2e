#include "render/Gradient.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTest>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

using swf::Gradient;

namespace {

Gradient blackToWhite(Gradient::Kind kind = Gradient::Kind::Linear, Gradient::Spread spread = Gradient::Spread::Pad)
{
    Gradient g;
    g.kind = kind;
    g.spread = spread;
    g.stops = {{0.0, Qt::black}, {1.0, Qt::white}};
    return g;
}

// Maps the gradient square (-16384..16384 twips) onto `pixels` device
// pixels from `origin`, with the shape drawn one twip per device pixel.
QTransform squareOver(double pixels, QPointF origin)
{
    const double s = pixels / 32768.0;
    return QTransform(s, 0, 0, s, origin.x() + pixels / 2, origin.y() + pixels / 2);
}

QByteArray describeRow(const QImage &image, int from, int to)
{
    QByteArray out;
    for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x)
        out += QByteArray::number(qRed(image.pixel(x, 0))) + ' ';
    return out;
}

// Gradient::image as plain scalar code: each pixel centre found by adding
// the step from pixel to pixel along its row, its position, step and
// colour worked out one after another. The fast code must give the same
// bytes.
class ReferenceRamp
{
public:
    ReferenceRamp(const Gradient::Ramp &ramp, Gradient::Spread spread) : m_ramp(ramp), m_spread(spread)
    {
        for (QRgb c : ramp)
            m_opaque = m_opaque && qAlpha(c) == 255;
    }

    QRgb at(double u) const
    {
        if (m_spread == Gradient::Spread::Repeat)
            u -= std::floor(u);
        else if (m_spread == Gradient::Spread::Reflect)
            u = 1.0 - std::abs(u - 2.0 * std::floor(u / 2.0) - 1.0);
        const double p = u * 256.0 - 0.5;
        const int fixed = p >= 0.0 ? (p < 255.0 ? int(p * 256.0) : 255 * 256) : (p < 0.0 ? 0 : 255 * 256);
        const int i = fixed >> 8, w = fixed & 0xff;
        const QRgb a = m_ramp[i], b = m_ramp[std::min(i + 1, 255)];
        auto channel = [w](int ca, int cb) { return (ca * (256 - w) + cb * w + 128) >> 8; };
        const QRgb blended = qRgba(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
                                   channel(qBlue(a), qBlue(b)), channel(qAlpha(a), qAlpha(b)));
        return m_opaque ? blended : qPremultiply(blended);
    }

private:
    Gradient::Ramp m_ramp;
    Gradient::Spread m_spread;
    bool m_opaque = true;
};

QImage referenceImage(const Gradient &g, const QTransform &shapeToDevice, const QRect &area)
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    const Gradient::Ramp colours = g.ramp({});
    const ReferenceRamp ramp(colours, g.spread);
    bool invertible = false;
    const QTransform back = (g.matrix * shapeToDevice).inverted(&invertible)
                          * QTransform::fromScale(1.0 / 16384, 1.0 / 16384);
    if (!invertible) {
        out.fill(qPremultiply(colours.back()));
        return out;
    }
    const double f = g.kind == Gradient::Kind::Focal ? std::clamp(g.focal, -0.98, 0.98) : 0.0;
    const double k = 1.0 - f * f;
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        const double cx = area.x() + 0.5, cy = area.y() + y + 0.5;
        double gx = back.m11() * cx + back.m21() * cy + back.dx();
        double gy = back.m12() * cx + back.m22() * cy + back.dy();
        for (int x = 0; x < area.width(); ++x, gx += back.m11(), gy += back.m12()) {
            double u;
            if (g.kind == Gradient::Kind::Linear) {
                u = (gx + 1.0) / 2.0;
            } else if (f == 0.0) {
                u = std::sqrt(gx * gx + gy * gy);
            } else {
                const double dx = gx - f;
                const double fd = f * dx;
                u = (fd + std::sqrt(fd * fd + (dx * dx + gy * gy) * k)) / k;
            }
            line[x] = ramp.at(u);
        }
    }
    return out;
}

// Where two pictures first differ, for a failure message.
QByteArray firstDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return "sizes differ";
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return "(" + QByteArray::number(x) + ", " + QByteArray::number(y) + "): "
                     + testsupport::describe(actual.pixel(x, y)) + " instead of "
                     + testsupport::describe(expected.pixel(x, y));
        }
    }
    return {};
}

Gradient threeStops(Gradient::Kind kind, Gradient::Spread spread, bool translucent)
{
    Gradient g;
    g.kind = kind;
    g.spread = spread;
    g.focal = -0.6;
    const int a = translucent ? 90 : 255;
    g.stops = {{0.0, QColor(250, 20, 30, a)}, {0.3, QColor(20, 200, 90)}, {1.0, QColor(10, 40, 230, translucent ? 3 : 255)}};
    return g;
}

} // namespace

class GradientTest : public QObject
{
    Q_OBJECT

private slots:
    void rampPlacesStops_data();
    void rampPlacesStops();
    void rampEntriesRoundDown();
    void linearPixelTakesRampEntryAtItsCentre_data();
    void linearPixelTakesRampEntryAtItsCentre();
    void halfStepsAtTheEndsAreFlat();
    void radialGrowsFromTheCentre();
    void focalPointHoldsTheFirstColour();
    void transparentStopsArePremultipliedAfterBlending();
    void squeezedGradientShowsItsLastColour();
    void largePictureMatchesItsPieces_data();
    void largePictureMatchesItsPieces();
    void matchesReference_data();
    void matchesReference();
    void randomGradientsMatchReference();
    void pixelsNearTheCentreMatchReference_data();
    void pixelsNearTheCentreMatchReference();
    void stillGradientOutlastsChangingOnes();
    void pictureServesADeviceShiftedByWholePixels();
    void picturesOfAClosedMovieMakeWay();
    void gradientDownTheDeviceIsOneColumn();
    void shapeFillLaysGradientOnDevicePixels_data();
    void shapeFillLaysGradientOnDevicePixels();
};

void GradientTest::rampPlacesStops_data()
{
    QTest::addColumn<QVector<int>>("ratios");
    QTest::addColumn<QVector<QColor>>("colors");
    QTest::addColumn<bool>("linearLight");
    QTest::addColumn<QVector<int>>("entries");       // ratio indices checked
    QTest::addColumn<QVector<QColor>>("expected");
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    QTest::newRow("two stops, ends padded")
        << QVector<int>{51, 204} << QVector<QColor>{red, blue} << false
        << QVector<int>{0, 51, 102, 204, 255}
        << QVector<QColor>{red, red, QColor(170, 0, 85), blue, blue};
    QTest::newRow("repeated ratios step one entry apart")
        << QVector<int>{100, 100, 100, 200} << QVector<QColor>{red, green, blue, Qt::white} << false
        << QVector<int>{99, 100, 101, 102, 103}
        // the blend to white starts at the blue stop's own ratio (100)
        << QVector<QColor>{red, red, green, blue, QColor(7, 7, 255)};
    QTest::newRow("falling ratio is a hard step")
        << QVector<int>{127, 0} << QVector<QColor>{red, green} << false
        << QVector<int>{127, 128, 255} << QVector<QColor>{red, green, green};
    QTest::newRow("stops pushed past the end are dropped")
        << QVector<int>{255, 0, 0} << QVector<QColor>{red, blue, green} << false
        << QVector<int>{0, 254, 255} << QVector<QColor>{red, red, red};
    QTest::newRow("linear light midpoint is brighter")
        << QVector<int>{0, 255} << QVector<QColor>{Qt::black, Qt::white} << true
        << QVector<int>{0, 128, 255} << QVector<QColor>{Qt::black, QColor(188, 188, 188), Qt::white};
    QTest::newRow("no stops: black") << QVector<int>{} << QVector<QColor>{} << false
                                     << QVector<int>{0, 255} << QVector<QColor>{Qt::black, Qt::black};
}

void GradientTest::rampPlacesStops()
{
    QFETCH(QVector<int>, ratios);
    QFETCH(QVector<QColor>, colors);
    QFETCH(bool, linearLight);
    QFETCH(QVector<int>, entries);
    QFETCH(QVector<QColor>, expected);
    Gradient g;
    g.linearRgb = linearLight;
    for (int i = 0; i < ratios.size(); ++i)
        g.stops.append({ratios[i] / 255.0, colors[i]});
    const Gradient::Ramp ramp = g.ramp({});
    for (int i = 0; i < entries.size(); ++i) {
        const QRgb actual = ramp[entries[i]];
        QVERIFY2(testsupport::near(actual, expected[i], 1),
                 "entry " + QByteArray::number(entries[i]) + " is " + testsupport::describe(actual));
    }
}

void GradientTest::rampEntriesRoundDown()
{
    // Green climbs by 2 over the whole ramp: entry i holds 2 * i / 255
    // rounded down, so it steps at 128 and again only at the end.
    Gradient g;
    g.stops = {{0.0, QColor(0, 0, 0)}, {1.0, QColor(0, 2, 0)}};
    const Gradient::Ramp ramp = g.ramp({});
    QCOMPARE(qGreen(ramp[127]), 0);
    QCOMPARE(qGreen(ramp[128]), 1);
    QCOMPARE(qGreen(ramp[254]), 1);
    QCOMPARE(qGreen(ramp[255]), 2);
    // Falling values round down too.
    g.stops = {{0.0, QColor(0, 2, 0)}, {1.0, QColor(0, 0, 0)}};
    QCOMPARE(qGreen(g.ramp({})[1]), 1);
}

void GradientTest::linearPixelTakesRampEntryAtItsCentre_data()
{
    QTest::addColumn<int>("spread");
    QTest::newRow("pad") << int(Gradient::Spread::Pad);
    QTest::newRow("reflect") << int(Gradient::Spread::Reflect);
    QTest::newRow("repeat") << int(Gradient::Spread::Repeat);
}

void GradientTest::linearPixelTakesRampEntryAtItsCentre()
{
    QFETCH(int, spread);
    const auto s = Gradient::Spread(spread);
    // 256 pixels across the square: the centre of pixel x is entry x exactly,
    // so every pixel of a black-to-white ramp shows its own index.
    Gradient g = blackToWhite(Gradient::Kind::Linear, s);
    g.matrix = squareOver(256, {0, 0});
    const QImage image = g.image(QTransform(), QRect(-512, 0, 1280, 1), {});
    for (int i = 0; i < image.width(); ++i) {
        const int x = i - 512;
        const int period = x < 0 ? (x + 1) / 256 - 1 : x / 256;   // floor
        const int within = x - period * 256;
        int grey = within;
        if (s == Gradient::Spread::Pad)
            grey = std::clamp(x, 0, 255);
        else if (s == Gradient::Spread::Reflect && (period & 1))
            grey = 255 - within;
        QVERIFY2(qRed(image.pixel(i, 0)) == grey,
                 "x " + QByteArray::number(x) + ": " + describeRow(image, i - 3, i + 4));
    }
}

void GradientTest::halfStepsAtTheEndsAreFlat()
{
    // 512 pixels across: two per entry. The first and last pixel stand
    // within half an entry of the ends and keep the end colours; the ones
    // beside them blend a quarter of the next entry.
    Gradient g;
    g.stops = {{0.0, QColor(0, 0, 0)}, {1.0, QColor(255, 0, 0)}};
    g.matrix = squareOver(512, {0, 0});
    const QImage image = g.image(QTransform(), QRect(0, 0, 512, 1), {});
    QCOMPARE(qRed(image.pixel(0, 0)), 0);
    QCOMPARE(qRed(image.pixel(1, 0)), 0);            // 0.25 of a level
    QCOMPARE(qRed(image.pixel(3, 0)), 1);            // 1.25
    QCOMPARE(qRed(image.pixel(255, 0)), 127);        // 127.25
    QCOMPARE(qRed(image.pixel(511, 0)), 255);
    QCOMPARE(qRed(image.pixel(510, 0)), 255);        // 254.75
}

void GradientTest::radialGrowsFromTheCentre()
{
    // Radius 128 pixels around the centre of pixel (128, 128): a pixel d
    // pixels away stands at u = d / 128, half way between entries 2d - 1
    // and 2d.
    Gradient g = blackToWhite(Gradient::Kind::Radial);
    g.matrix = squareOver(256, {0.5, 0.5});
    const QImage image = g.image(QTransform(), QRect(0, 0, 256, 256), {});
    QCOMPARE(qRed(image.pixel(128, 128)), 0);
    for (int d : {1, 2, 20, 63, 100, 127}) {
        QCOMPARE(qRed(image.pixel(128 + d, 128)), 2 * d);
        QCOMPARE(qRed(image.pixel(128 - d, 128)), 2 * d);
        QCOMPARE(qRed(image.pixel(128, 128 - d)), 2 * d);
    }
    QCOMPARE(qRed(image.pixel(0, 0)), 255);                      // corner, past the circle
    const double along = std::hypot(40.0, 40.0) / 128.0 * 256 - 0.5;
    QVERIFY(std::abs(qRed(image.pixel(168, 168)) - along) <= 1.0);
}

void GradientTest::focalPointHoldsTheFirstColour()
{
    // Focal point half way to the right edge of a circle of radius 128
    // around the centre of pixel (128, 128): it is the centre of pixel 192.
    Gradient g = blackToWhite(Gradient::Kind::Focal);
    g.focal = 0.5;
    g.matrix = squareOver(256, {0.5, 0.5});
    const QImage image = g.image(QTransform(), QRect(0, 0, 256, 256), {});
    QVERIFY2(qRed(image.pixel(192, 128)) <= 2, testsupport::describe(image.pixel(192, 128)));
    // Half way from the focal point to the rim, on either side: the middle
    // of the ramp, though one side is three times as far as the other.
    for (int x : {224, 96}) {
        const int grey = qRed(image.pixel(x, 128));
        QVERIFY2(std::abs(grey - 128) <= 3, "x " + QByteArray::number(x) + ": " + QByteArray::number(grey));
    }
    QVERIFY(qRed(image.pixel(255, 128)) >= 250);                 // 63 of 64 pixels along
    QVERIFY(qRed(image.pixel(0, 128)) >= 254);                   // on the rim
}

void GradientTest::transparentStopsArePremultipliedAfterBlending()
{
    Gradient g;
    g.stops = {{0.0, QColor(255, 0, 0, 0)}, {1.0, QColor(0, 0, 255, 255)}};
    g.matrix = squareOver(256, {0, 0});
    const QImage image = g.image(QTransform(), QRect(0, 0, 256, 1), {});
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    // Entry 128: straight colour (127, 0, 128) at alpha 128.
    const QRgb mid = qUnpremultiply(image.pixel(128, 0));
    QVERIFY2(std::abs(qAlpha(mid) - 128) <= 1 && std::abs(qRed(mid) - 127) <= 2
                 && std::abs(qBlue(mid) - 128) <= 2,
             testsupport::describe(mid));
    QCOMPARE(image.pixel(0, 0), QRgb(0));                 // no colour where nothing shows
}

void GradientTest::largePictureMatchesItsPieces_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("translucent");
    QTest::newRow("linear, slanted") << int(Gradient::Kind::Linear) << false;
    QTest::newRow("radial") << int(Gradient::Kind::Radial) << false;
    QTest::newRow("radial, translucent") << int(Gradient::Kind::Radial) << true;
    QTest::newRow("focal") << int(Gradient::Kind::Focal) << false;
}

void GradientTest::largePictureMatchesItsPieces()
{
    // A picture of many pixels works out each of the gradient's steps once
    // and looks them up; a small one blends each pixel from the ramp. Both
    // must give the same bytes.
    QFETCH(int, kind);
    QFETCH(bool, translucent);
    Gradient g;
    g.kind = Gradient::Kind(kind);
    g.focal = -0.6;
    g.stops = {{0.0, QColor(250, 20, 30, translucent ? 40 : 255)}, {0.3, QColor(20, 200, 90)},
               {1.0, QColor(10, 40, 230, translucent ? 200 : 255)}};
    // Larger than the picture, turned, so that every position along it shows.
    g.matrix = QTransform().rotate(30) * squareOver(700, {-100, -80});
    const QRect whole(0, 0, 640, 480);
    const QImage large = g.image(QTransform(), whole, {});
    for (int y = 0; y < whole.height(); y += 160) {
        for (int x = 0; x < whole.width(); x += 160) {
            const QRect piece(x, y, 160, 160);
            const QImage small = g.image(QTransform(), piece, {});
            QVERIFY(small == large.copy(piece));
        }
    }
}

void GradientTest::matchesReference_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("spread");
    QTest::addColumn<bool>("translucent");
    QTest::addColumn<double>("focal");
    QTest::addColumn<QTransform>("matrix");
    QTest::addColumn<QRect>("area");
    struct Placement
    {
        const char *name;
        QTransform matrix;
        QRect area;
    };
    const std::vector<Placement> placements = {
        // widths and heights that are not multiples of 2 or 4
        {"turned", QTransform().rotate(30) * squareOver(90, {-10, -20}), QRect(-20, 5, 37, 11)},
        {"squeezed", QTransform::fromScale(3, 0.2) * QTransform().rotate(70) * squareOver(40, {10, 0}),
         QRect(0, 0, 61, 9)},
        {"one pixel", QTransform().rotate(10) * squareOver(50, {0, 0}), QRect(20, 17, 1, 1)},
        {"three by two", QTransform().rotate(-40) * squareOver(6, {0, 0}), QRect(0, 0, 3, 2)},
        {"upright", squareOver(200, {-30, 7.25}), QRect(0, 0, 173, 7)},
        {"on its side", QTransform().rotate(90) * squareOver(60, {0, 0}), QRect(-5, -5, 70, 70)},
        {"mirrored", QTransform::fromScale(-1, 1) * QTransform().rotate(200) * squareOver(70, {3, 3}),
         QRect(0, 0, 75, 13)},
        // many periods of the spread, far from the gradient's centre
        {"far out", QTransform().rotate(3) * squareOver(9, {-4000, 30000}), QRect(-4100, 29900, 250, 6)},
        // more pixels than the ramp has steps: colours from a table
        {"large", QTransform().rotate(15) * squareOver(600, {-50, -40}), QRect(0, 0, 701, 190)},
    };
    const char *kinds[] = {"linear", "radial", "focal"};
    const char *spreads[] = {"pad", "reflect", "repeat"};
    for (const Placement &p : placements) {
        for (int kind = 0; kind < 3; ++kind) {
            for (int spread = 0; spread < 3; ++spread) {
                for (bool translucent : {false, true}) {
                    const QByteArray name = QByteArray(p.name) + ", " + kinds[kind] + ", " + spreads[spread]
                                          + (translucent ? ", translucent" : "");
                    QTest::newRow(name.constData()) << kind << spread << translucent << -0.6 << p.matrix << p.area;
                }
            }
        }
    }
    // Focal points near the rim make the position grow fast: the widest
    // margins where single precision square roots are checked.
    for (double focal : {0.98, -0.9, 0.3}) {
        for (int spread = 0; spread < 3; ++spread) {
            const QByteArray name = "focal at " + QByteArray::number(focal) + ", " + spreads[spread];
            QTest::newRow(name.constData()) << 2 << spread << false << focal
                                            << QTransform().rotate(25) * squareOver(300, {-20, -30})
                                            << QRect(-40, -40, 380, 400);
        }
    }
}

void GradientTest::matchesReference()
{
    QFETCH(int, kind);
    QFETCH(int, spread);
    QFETCH(bool, translucent);
    QFETCH(double, focal);
    QFETCH(QTransform, matrix);
    QFETCH(QRect, area);
    Gradient g = threeStops(Gradient::Kind(kind), Gradient::Spread(spread), translucent);
    g.focal = focal;
    g.matrix = matrix;
    const QImage expected = referenceImage(g, QTransform(), area);
    const QImage actual = g.image(QTransform(), area, {});
    QVERIFY2(actual == expected, firstDifference(actual, expected).constData());
    // A device transform that turns and scales gives the same bytes as the
    // same matrix folded into the gradient's.
    const QTransform device = QTransform().rotate(-12).scale(1.5, 0.75);
    g.matrix = matrix * device.inverted();
    const QImage throughDevice = g.image(device, area, {});
    const QImage expectedThroughDevice = referenceImage(g, device, area);
    QVERIFY2(throughDevice == expectedThroughDevice, firstDifference(throughDevice, expectedThroughDevice).constData());
}

void GradientTest::randomGradientsMatchReference()
{
    // Many small pictures of gradients placed at random: pixel centres of
    // every size and sign, rows of every length, steps near every edge.
    QRandomGenerator random(20261208);
    for (int i = 0; i < 300; ++i) {
        Gradient g = threeStops(Gradient::Kind(random.bounded(3)), Gradient::Spread(random.bounded(3)),
                                random.bounded(2) == 1);
        g.focal = random.bounded(2.0) - 1.0;
        const double size = std::exp(random.bounded(9.0));          // 1 to 8000 pixels
        g.matrix = QTransform::fromScale(1.0 + random.bounded(3.0), 1.0 + random.bounded(3.0))
                 * QTransform().rotate(random.bounded(360.0))
                 * squareOver(size, {random.bounded(400.0) - 200, random.bounded(400.0) - 200});
        const QRect area(random.bounded(200) - 100, random.bounded(200) - 100, 1 + random.bounded(90),
                         1 + random.bounded(9));
        const QImage expected = referenceImage(g, QTransform(), area);
        const QImage actual = g.image(QTransform(), area, {});
        QVERIFY2(actual == expected, ("gradient " + QByteArray::number(i) + " " + firstDifference(actual, expected)).constData());
    }
}

void GradientTest::pixelsNearTheCentreMatchReference_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<double>("focal");
    QTest::newRow("radial, centre on a pixel centre") << 333.3 << QPointF(20.5, 10.5) << 0.0;
    QTest::newRow("radial, large") << 4000.7 << QPointF(20.37, 10.52) << 0.0;
    QTest::newRow("focal point on a pixel centre") << 512.1 << QPointF(20.5 - 0.4 * 512.1, 10.5) << 0.4;
}

void GradientTest::pixelsNearTheCentreMatchReference()
{
    // Within half a step of the start a position falls before the first
    // entry's centre: the first colour, whichever way the position is
    // worked out. Single rows, so that no other row of the picture decides
    // how its pixels are worked out.
    QFETCH(double, radius);
    QFETCH(QPointF, centre);
    QFETCH(double, focal);
    Gradient g = threeStops(focal == 0.0 ? Gradient::Kind::Radial : Gradient::Kind::Focal, Gradient::Spread::Pad, false);
    g.focal = focal;
    g.matrix = squareOver(2 * radius, centre - QPointF(radius, radius));
    for (int y = 8; y < 13; ++y) {
        const QRect row(16, y, 9, 1);
        const QImage expected = referenceImage(g, QTransform(), row);
        const QImage actual = g.image(QTransform(), row, {});
        QVERIFY2(actual == expected, ("row " + QByteArray::number(y) + " " + firstDifference(actual, expected)).constData());
    }
    const QImage centrePixel = g.image(QTransform(), QRect(20, 10, 1, 1), {});
    QCOMPARE(centrePixel.pixel(0, 0), g.ramp({})[0]);
}

void GradientTest::squeezedGradientShowsItsLastColour()
{
    Gradient g;
    g.stops = {{0.0, Qt::red}, {1.0, Qt::blue}};
    g.matrix = QTransform(0, 0, 0, 0, 100, 100);
    const QImage image = g.image(QTransform(), QRect(0, 0, 8, 8), {});
    QCOMPARE(image.size(), QSize(8, 8));
    QCOMPARE(image.pixel(3, 3), QColor(Qt::blue).rgba());
}

void GradientTest::stillGradientOutlastsChangingOnes()
{
    // A still background drawn every frame under many gradients that change
    // every frame (morphs): its picture is made once and kept.
    QImage device(300, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&device);
    const QRectF area(0, 0, 300, 200);
    Gradient still = blackToWhite(Gradient::Kind::Radial);
    still.matrix = squareOver(310, {-5, -50});
    const qint64 first = still.brush({}, painter, area).textureImage().cacheKey();
    for (int frame = 0; frame < 3; ++frame) {
        QCOMPARE(still.brush({}, painter, area).textureImage().cacheKey(), first);
        for (int morph = 0; morph < 40; ++morph) {
            Gradient changing = blackToWhite(Gradient::Kind::Linear);
            changing.matrix = QTransform().rotate(frame * 40 + morph) * squareOver(100, {20, 20});
            QVERIFY(changing.brush({}, painter, QRectF(10, 10, 120, 120)).style() == Qt::TexturePattern);
        }
    }
    QCOMPARE(still.brush({}, painter, area).textureImage().cacheKey(), first);
    // A picture is kept for as long as it is found again; one no longer
    // drawn makes way for new ones.
    Gradient gone = blackToWhite(Gradient::Kind::Radial);
    gone.matrix = squareOver(90, {40, 40});
    const qint64 goneKey = gone.brush({}, painter, area).textureImage().cacheKey();
    QCOMPARE(gone.brush({}, painter, area).textureImage().cacheKey(), goneKey);
    for (int other = 0; other < 40; ++other) {
        Gradient drawnTwice = blackToWhite(Gradient::Kind::Focal);
        drawnTwice.focal = other / 50.0;
        drawnTwice.matrix = squareOver(100, {0, 0});
        drawnTwice.brush({}, painter, area);
        drawnTwice.brush({}, painter, area);
    }
    QVERIFY(gone.brush({}, painter, area).textureImage().cacheKey() != goneKey);
}

void GradientTest::pictureServesADeviceShiftedByWholePixels()
{
    // A shape kept in the cache is drawn into a picture of its own bounds:
    // the same gradient on a device moved by whole pixels.
    Gradient g = threeStops(Gradient::Kind::Radial, Gradient::Spread::Pad, false);
    g.matrix = squareOver(160, {13, 7});
    const QTransform toDevice = QTransform::fromScale(0.9, 0.9);
    const QRect reach(-1000, -1000, 3000, 3000);
    QPoint origin;
    const QImage first = g.picture({}, toDevice, QRect(20, 30, 90, 80), reach, &origin);
    QCOMPARE(origin, QPoint(20, 30));

    const QTransform moved = toDevice * QTransform::fromTranslate(-17, 25);
    QPoint movedOrigin;
    const QImage again = g.picture({}, moved, QRect(10, 60, 60, 50), reach, &movedOrigin);
    QCOMPARE(again.cacheKey(), first.cacheKey());
    QCOMPARE(movedOrigin, QPoint(3, 55));
    const QImage fresh = g.image(moved, QRect(10, 60, 60, 50), {});
    QCOMPARE(again.copy(QRect(QPoint(10, 60) - movedOrigin, QSize(60, 50))), fresh);

    // Half a pixel over, every pixel centre meets the gradient elsewhere.
    const QTransform halfway = toDevice * QTransform::fromTranslate(0.5, 0);
    QVERIFY(g.picture({}, halfway, QRect(20, 30, 90, 80), reach, &origin).cacheKey() != first.cacheKey());
}

void GradientTest::picturesOfAClosedMovieMakeWay()
{
    // A movie that drew many gradients again and again, then closed: its
    // pictures must not keep the next movie's two gradients from staying.
    QImage device(300, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&device);
    const QRectF area(0, 0, 300, 200);
    for (int old = 0; old < 40; ++old) {
        Gradient g = blackToWhite(Gradient::Kind::Focal);
        g.focal = old / 50.0;
        g.matrix = squareOver(100, {0, 0});
        g.brush({}, painter, area);
        g.brush({}, painter, area);
    }
    Gradient skin = blackToWhite(Gradient::Kind::Radial);
    skin.matrix = squareOver(120, {10, 10});
    Gradient flesh = blackToWhite(Gradient::Kind::Linear);
    flesh.matrix = squareOver(80, {30, 20});
    qint64 last = 0;
    int sameInARow = 0;
    for (int frame = 0; frame < 400; ++frame) {
        const qint64 key = skin.brush({}, painter, area).textureImage().cacheKey();
        sameInARow = key == last ? sameInARow + 1 : 0;
        last = key;
        flesh.brush({}, painter, area);
    }
    QVERIFY(sameInARow > 100);
}

void GradientTest::gradientDownTheDeviceIsOneColumn()
{
    // A sky: a linear gradient turned to run downwards. Its picture is one
    // pixel wide, and a brush made from it paints what image() holds.
    Gradient sky = threeStops(Gradient::Kind::Linear, Gradient::Spread::Pad, true);
    sky.matrix = QTransform(0, 0.004, -0.004, 0, 60, 50);
    const QTransform toDevice = QTransform::fromScale(1.5, 1.5);
    const QRect area(10, 20, 130, 90);
    QPoint origin;
    const QImage column = sky.picture({}, toDevice, area, QRect(0, 0, 300, 200), &origin);
    QCOMPARE(column.width(), 1);
    QVERIFY(column.height() >= area.height());
    const QImage whole = sky.image(toDevice, area, {});
    QImage painted(300, 200, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    {
        QPainter painter(&painted);
        painter.setTransform(toDevice);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(toDevice.inverted().mapRect(QRectF(area)), sky.brush({}, painter));
    }
    QCOMPARE(painted.copy(area), whole);
    for (int y = 0; y < area.height(); ++y)
        QCOMPARE(column.pixel(0, area.y() + y - origin.y()), whole.pixel(area.width() - 1, y));
    // Turned a little off the vertical, every pixel has its own colour.
    sky.matrix = QTransform().rotate(1) * sky.matrix;
    QCOMPARE(sky.picture({}, toDevice, area, QRect(0, 0, 300, 200), &origin).width(), area.width());
}

void GradientTest::shapeFillLaysGradientOnDevicePixels_data()
{
    QTest::addColumn<int>("spread");
    QTest::addColumn<QPoint>("offset");      // whole device pixels the shape moves
    QTest::addColumn<bool>("clipped");
    QTest::newRow("reflect") << 1 << QPoint(0, 0) << false;
    QTest::newRow("repeat, moved") << 2 << QPoint(7, 3) << false;
    QTest::newRow("pad, moved and clipped") << 0 << QPoint(-5, 2) << true;
}

void GradientTest::shapeFillLaysGradientOnDevicePixels()
{
    QFETCH(int, spread);
    QFETCH(QPoint, offset);
    QFETCH(bool, clipped);
    // A DefineShape3 rectangle 0..12800 by 0..400 twips (640 x 20 pixels)
    // filled with a black-to-white gradient 241.15 pixels long (9646 in
    // 16.16 fixed point, of 32768 twips) centred on x = 128.
    const double length = 241.15;
    SwfWriter w;
    w.u16(1).rect(0, 12800, 0, 400);
    w.u8(1).u8(0x10).matrix(9646 / 65536.0, 9646 / 65536.0, 2560, 0);
    w.ub(2, spread).ub(2, 0).ub(4, 2);
    w.u8(0).rgba(Qt::black).u8(255).rgba(Qt::white);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(1, -1, -1, true, 0, 0, 1, 0);
    w.lineTo(0, 400).lineTo(12800, 0).lineTo(0, -400).lineTo(-12800, 0);
    w.endShape();
    const auto shape = testsupport::decode(32, w.data());
    QVERIFY(shape);

    QImage image(660, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (clipped)
        painter.setClipRect(QRect(100, 0, 300, 30));
    swf::RenderContext context;
    context.painter = &painter;
    context.matrix = QTransform::fromScale(0.05, 0.05) * QTransform::fromTranslate(offset.x(), offset.y());
    shape->draw(context);
    painter.end();

    const int y = 10 + offset.y();
    for (int x = 2; x < 630; ++x) {
        const int dx = x + offset.x();
        if (clipped && (dx < 100 || dx >= 400))
            continue;
        double u = (x + 0.5 - (128 - length / 2)) / length;
        if (spread == 0)
            u = std::clamp(u, 0.0, 1.0);
        else if (spread == 1)
            u = 1.0 - std::abs(u - 2.0 * std::floor(u / 2.0) - 1.0);
        else
            u -= std::floor(u);
        const double entry = std::clamp(u * 256 - 0.5, 0.0, 255.0);
        QVERIFY2(std::abs(qRed(image.pixel(dx, y)) - entry) < 0.52,
                 "x " + QByteArray::number(x) + ": " + testsupport::describe(image.pixel(dx, y)) + " for "
                     + QByteArray::number(entry));
    }
    if (clipped)
        QCOMPARE(image.pixel(99, y), QColor(Qt::white).rgba());
}

QTEST_MAIN(GradientTest)
#include "tst_gradients.moc"
