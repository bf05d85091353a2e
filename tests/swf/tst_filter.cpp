// Bitmap filters: decoding of the filter list, and what each filter does to
// a picture.
#include "decode/BitReader.h"
#include "render/Filter.h"

#include <QtEndian>
#include <QtTest>

namespace {

QByteArray fixed16(double v)
{
    QByteArray out(4, 0);
    qToLittleEndian<qint32>(qint32(v * 65536), out.data());
    return out;
}

QImage dot(int size, QPoint at, QColor colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setPixelColor(at, colour);
    return image;
}

// A `colour` square covering `rect` on a transparent `size` x `size` image.
QImage square(int size, const QRect &rect, QColor colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            image.setPixelColor(x, y, colour);
    return image;
}

bool near(const QColor &a, const QColor &b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

QByteArray f32(float v)
{
    QByteArray out(4, 0);
    qToLittleEndian<float>(v, out.data());
    return out;
}

long alphaSum(const QImage &image)
{
    long sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum;
}

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT
private slots:
    void readList();
    void blurSpreadsIntoABox_data();
    void blurSpreadsIntoABox();
    void colourMatrix();
    void dropShadowFallsAtItsOffset();
    void innerShadowStaysInside();
    void readBevelGradientAndConvolution();
    void hostileSizesAreClamped();
    void bevel_data();
    void bevel();
    void hiddenObjectLeavesOnlyTheGlow();
    void gradientGlowTakesItsColourFromTheRamp();
    void convolution();
    void oversizedConvolutionIsLeftOut();
    void colourTransformTintsTheGlow();
};

void TestFilter::readList()
{
    QByteArray bytes;
    bytes.append(char(2));                                  // two filters
    bytes.append(char(1)).append(fixed16(4)).append(fixed16(6)).append(char(2 << 3)); // blur, 2 passes
    bytes.append(char(0));                                  // drop shadow
    bytes.append("\x10\x20\x30\x80", 4);                    // RGBA
    bytes.append(fixed16(5)).append(fixed16(5)).append(fixed16(M_PI / 2)).append(fixed16(8));
    bytes.append("\x80\x01", 2);                            // strength 1.5
    bytes.append(char(0x80 | 0x40 | 1));                    // inner, knockout, 1 pass
    swf::BitReader r(bytes);
    const auto list = swf::Filter::readList(r);
    QVERIFY(r.atEnd());
    QCOMPARE(list.size(), std::size_t(2));
    QCOMPARE(list[0].type, swf::Filter::Type::Blur);
    QCOMPARE(list[0].blurX, 4.0);
    QCOMPARE(list[0].blurY, 6.0);
    QCOMPARE(list[0].passes, 2);
    QCOMPARE(list[1].type, swf::Filter::Type::DropShadow);
    QCOMPARE(list[1].color, QColor(0x10, 0x20, 0x30, 0x80));
    QCOMPARE(list[1].distance, 8.0);
    QCOMPARE(list[1].strength, 1.5);
    QVERIFY(list[1].inner);
    QVERIFY(list[1].knockout);
    QVERIFY(qAbs(list[1].angle - M_PI / 2) < 1e-4);

    QByteArray unknown("\x01\x09", 2);
    swf::BitReader bad(unknown);
    QVERIFY_THROWS_EXCEPTION(swf::DecodeError, swf::Filter::readList(bad));
}

void TestFilter::blurSpreadsIntoABox_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("width");      // expected extent of the spread, pixels
    // Players centre an odd box on each pixel: 5 px stays 5, 10 px becomes 9.
    QTest::newRow("stage size") << 1.0 << 5;
    QTest::newRow("stage drawn twice as big") << 2.0 << 9;
}

void TestFilter::blurSpreadsIntoABox()
{
    QFETCH(double, scale);
    QFETCH(int, width);
    swf::Filter f;
    f.type = swf::Filter::Type::Blur;
    f.blurX = 5;
    f.blurY = 1;
    f.passes = 1;
    QImage image = dot(40, QPoint(20, 20), Qt::white);
    f.apply(image, scale);
    int covered = 0;
    for (int x = 0; x < 40; ++x)
        covered += qAlpha(image.pixel(x, 20)) > 0;
    QCOMPARE(covered, width);
    QCOMPARE(qAlpha(image.pixel(20, 19 - int(scale))), 0); // blurY 1: rows barely spread
    // Nothing gained or lost but the rounding of each pass.
    QVERIFY(std::abs(alphaSum(image) - 255) <= width);
}

void TestFilter::colourMatrix()
{
    swf::Filter f;
    f.type = swf::Filter::Type::ColorMatrix;
    // Red and blue swapped, green inverted, alpha kept.
    f.matrix = {0, 0, 1, 0, 0,   0, -1, 0, 0, 255,   1, 0, 0, 0, 0,   0, 0, 0, 1, 0};
    QImage image = dot(2, QPoint(0, 0), QColor(200, 50, 10));
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(0, 0), QColor(10, 205, 200));
    QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
}

void TestFilter::dropShadowFallsAtItsOffset()
{
    swf::Filter f;
    f.type = swf::Filter::Type::DropShadow;
    f.color = Qt::black;
    f.distance = 4;
    f.angle = 0;    // to the right
    f.passes = 1;
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 5; y < 10; ++y)
        for (int x = 5; x < 10; ++x)
            image.setPixelColor(x, y, Qt::red);
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(6, 6), QColor(Qt::red));     // the object stays on top
    QCOMPARE(image.pixelColor(12, 6), QColor(Qt::black));  // its shadow 4 px right
    QCOMPARE(qAlpha(image.pixel(2, 6)), 0);                 // nothing on the left

    f.knockout = true;
    QImage knocked(20, 20, QImage::Format_ARGB32_Premultiplied);
    knocked.fill(Qt::transparent);
    knocked.setPixelColor(5, 5, Qt::red);
    f.apply(knocked, 1);
    QCOMPARE(qAlpha(knocked.pixel(5, 5)), 0);   // knocked out: only the shadow remains
    QCOMPARE(knocked.pixelColor(9, 5), QColor(Qt::black));
}

void TestFilter::innerShadowStaysInside()
{
    swf::Filter f;
    f.type = swf::Filter::Type::DropShadow;
    f.color = Qt::black;
    f.inner = true;
    f.distance = 2;
    f.passes = 1;
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            image.setPixelColor(x, y, Qt::white);
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(5, 8), QColor(Qt::black));   // the left edge is shaded
    QCOMPARE(image.pixelColor(13, 8), QColor(Qt::white));  // the right edge is not
    QCOMPARE(qAlpha(image.pixel(17, 8)), 0);               // nothing outside
}

void TestFilter::readBevelGradientAndConvolution()
{
    QByteArray bytes;
    bytes.append(char(3));
    bytes.append(char(3));                                  // bevel
    bytes.append("\xff\x00\x00\xff", 4).append("\x00\x00\xff\xff", 4);
    bytes.append(fixed16(2)).append(fixed16(2)).append(fixed16(0)).append(fixed16(3));
    bytes.append("\x00\x01", 2);                            // strength 1
    bytes.append(char(0x10 | 3));                           // on top, object hidden, 3 passes
    bytes.append(char(4));                                  // gradient glow, two colours
    bytes.append(char(2)).append("\xff\x00\x00\x00\x00\x00\xff\xff", 8).append("\x00\xff", 2);
    bytes.append(fixed16(1)).append(fixed16(1)).append(fixed16(0)).append(fixed16(0));
    bytes.append("\x00\x02", 2).append(char(0x80 | 0x20 | 1));
    bytes.append(char(5)).append(char(3)).append(char(1));  // convolution 3 x 1
    bytes.append(f32(2)).append(f32(10)).append(f32(1)).append(f32(0)).append(f32(-1));
    bytes.append("\x01\x02\x03\x04", 4).append(char(0x01)); // not clamped, alpha preserved
    swf::BitReader r(bytes);
    const auto list = swf::Filter::readList(r);
    QVERIFY(r.atEnd());
    QCOMPARE(list.size(), std::size_t(3));
    // The first colour of a bevel is the highlight.
    QCOMPARE(list[0].color, QColor(Qt::red));
    QCOMPARE(list[0].shadow, QColor(Qt::blue));
    QVERIFY(list[0].onTop);
    QVERIFY(list[0].hideObject);
    QVERIFY(!list[0].inner);
    QCOMPARE(list[0].passes, 3);
    QCOMPARE(list[1].type, swf::Filter::Type::GradientGlow);
    QCOMPARE(list[1].gradientColors.size(), std::size_t(2));
    QCOMPARE(list[1].gradientRatios.back(), 255);
    QCOMPARE(list[1].strength, 2.0);
    QVERIFY(list[1].inner);
    QVERIFY(!list[1].hideObject);
    QCOMPARE(list[2].type, swf::Filter::Type::Convolution);
    QCOMPARE(list[2].kernelWidth, 3);
    QCOMPARE(list[2].kernel.size(), std::size_t(3));
    QCOMPARE(list[2].divisor, 2.0f);
    QCOMPARE(list[2].bias, 10.0f);
    QCOMPARE(list[2].edgeColor, QColor(1, 2, 3, 4));
    QVERIFY(!list[2].clampEdges);
    QVERIFY(list[2].preserveAlpha);
}

void TestFilter::hostileSizesAreClamped()
{
    QByteArray bytes;
    bytes.append(char(1)).append(char(1));
    bytes.append(fixed16(30000)).append(fixed16(-5)).append(char(31 << 3)); // 31 passes
    swf::BitReader r(bytes);
    const auto list = swf::Filter::readList(r);
    QCOMPARE(list[0].blurX, 255.0);
    QCOMPARE(list[0].blurY, 0.0);
    QCOMPARE(list[0].passes, 15);

    // Set directly, past what any file can say: still bounded.
    swf::Filter f;
    f.type = swf::Filter::Type::DropShadow;
    f.color = Qt::black;
    f.blurX = f.blurY = 1e9;
    f.passes = 1000;
    f.distance = 1e12;
    QVERIFY(f.reach(1e6) <= 4096);
    QImage image = square(64, QRect(20, 20, 10, 10), Qt::white);
    f.apply(image, 1e6);
    QCOMPARE(image.pixelColor(25, 25), QColor(Qt::white)); // the object is kept
    QCOMPARE(swf::Filter::boxWidth(1e9), 255);
    QCOMPARE(swf::Filter::boxWidth(qQNaN()), 1);
}

void TestFilter::bevel_data()
{
    QTest::addColumn<bool>("inner");
    QTest::addColumn<bool>("onTop");
    QTest::addColumn<bool>("knockout");
    QTest::addColumn<QColor>("leftInside");
    QTest::addColumn<QColor>("rightInside");
    QTest::addColumn<QColor>("rightOutside");
    QTest::addColumn<QColor>("centre");
    const QColor grey(128, 128, 128), none(0, 0, 0, 0);
    // Light from the left (angle 0): the highlight (red) on the left, the
    // shadow (blue) on the right.
    QTest::newRow("inner") << true << false << false << QColor(Qt::red) << QColor(Qt::blue) << none << grey;
    QTest::newRow("inner knockout") << true << false << true << QColor(Qt::red) << QColor(Qt::blue) << none << none;
    QTest::newRow("outer") << false << false << false << grey << grey << QColor(Qt::blue) << grey;
    QTest::newRow("outer knockout") << false << false << true << none << none << QColor(Qt::blue) << none;
    QTest::newRow("full") << false << true << false << QColor(Qt::red) << QColor(Qt::blue) << QColor(Qt::blue) << grey;
}

void TestFilter::bevel()
{
    QFETCH(bool, inner);
    QFETCH(bool, onTop);
    QFETCH(bool, knockout);
    swf::Filter f;
    f.type = swf::Filter::Type::Bevel;
    f.color = Qt::red;
    f.shadow = Qt::blue;
    f.distance = 2;
    f.inner = inner;
    f.onTop = onTop;
    f.knockout = knockout;
    QImage image = square(40, QRect(10, 10, 20, 20), QColor(128, 128, 128));
    f.apply(image, 1);
    QFETCH(QColor, leftInside);
    QFETCH(QColor, rightInside);
    QFETCH(QColor, rightOutside);
    QFETCH(QColor, centre);
    QVERIFY2(near(image.pixelColor(10, 20), leftInside), qPrintable(image.pixelColor(10, 20).name(QColor::HexArgb)));
    QVERIFY2(near(image.pixelColor(29, 20), rightInside), qPrintable(image.pixelColor(29, 20).name(QColor::HexArgb)));
    QVERIFY2(near(image.pixelColor(31, 20), rightOutside), qPrintable(image.pixelColor(31, 20).name(QColor::HexArgb)));
    QVERIFY2(near(image.pixelColor(20, 20), centre), qPrintable(image.pixelColor(20, 20).name(QColor::HexArgb)));
}

void TestFilter::hiddenObjectLeavesOnlyTheGlow()
{
    swf::Filter f;
    f.type = swf::Filter::Type::Glow;
    f.color = Qt::red;
    f.blurX = f.blurY = 3;
    f.hideObject = true;
    QImage image = square(30, QRect(10, 10, 10, 10), Qt::white);
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(15, 15), QColor(Qt::red));   // the glow where the object was
    QVERIFY(qAlpha(image.pixel(9, 15)) > 0);                // and around it
    QCOMPARE(qAlpha(image.pixel(5, 15)), 0);

    f.inner = true;                                         // inside only, without the object
    QImage inner = square(30, QRect(10, 10, 10, 10), Qt::white);
    f.apply(inner, 1);
    QCOMPARE(qAlpha(inner.pixel(9, 15)), 0);
    QCOMPARE(qAlpha(inner.pixel(15, 15)), 0);               // deep inside: no glow, no object
    QVERIFY(inner.pixelColor(10, 15).red() > 0 && inner.pixelColor(10, 15).green() == 0);
}

void TestFilter::gradientGlowTakesItsColourFromTheRamp()
{
    swf::Filter f;
    f.type = swf::Filter::Type::GradientGlow;
    f.gradientColors = {QColor(255, 0, 0, 0), QColor(0, 0, 255)};
    f.gradientRatios = {0, 255};
    f.hideObject = true;
    QImage image = square(20, QRect(5, 5, 5, 5), Qt::white);
    image.setPixel(15, 15, qRgba(128, 128, 128, 128));     // a half-covered pixel
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(7, 7), QColor(Qt::blue));
    QVERIFY(near(image.pixelColor(15, 15), QColor(127, 0, 128, 128), 2));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);                 // the ramp's start is transparent
}

void TestFilter::convolution()
{
    swf::Filter f;
    f.type = swf::Filter::Type::Convolution;
    f.kernelWidth = 3;
    f.kernelHeight = 1;
    f.kernel = {0, 0, 2};   // each pixel takes its right neighbour
    f.divisor = 2;
    QImage image = dot(5, QPoint(2, 2), QColor(200, 100, 50));
    f.apply(image, 1);
    QCOMPARE(image.pixelColor(1, 2), QColor(200, 100, 50));
    QCOMPARE(qAlpha(image.pixel(2, 2)), 0);

    // Alpha preserved, a bias, and the edge colour beyond the picture.
    f.kernel = {1, 0, 0};
    f.divisor = 1;
    f.bias = 10;
    f.preserveAlpha = true;
    f.clampEdges = false;
    f.edgeColor = QColor(0, 0, 0, 255);
    QImage solid(3, 1, QImage::Format_ARGB32_Premultiplied);
    solid.fill(QColor(100, 100, 100));
    f.apply(solid, 1);
    QCOMPARE(solid.pixelColor(0, 0), QColor(10, 10, 10));  // from the black edge, plus the bias
    QCOMPARE(solid.pixelColor(2, 0), QColor(110, 110, 110));
}

void TestFilter::oversizedConvolutionIsLeftOut()
{
    swf::Filter f;
    f.type = swf::Filter::Type::Convolution;
    f.kernelWidth = f.kernelHeight = 255;
    f.kernel.assign(255 * 255, 1.0f);
    QImage image = square(400, QRect(10, 10, 10, 10), Qt::white);
    const QImage before = image;
    f.apply(image, 1);
    QCOMPARE(image, before);
}

void TestFilter::colourTransformTintsTheGlow()
{
    // A black glow around a white square, then red added: the glow turns
    // red, its alpha kept; what was transparent stays so.
    swf::Filter f;
    f.type = swf::Filter::Type::Glow;
    f.color = Qt::black;
    f.blurX = f.blurY = 3;
    QImage image = square(30, QRect(10, 10, 10, 10), Qt::white);
    f.apply(image, 1);
    const int glowAlpha = qAlpha(image.pixel(9, 15));
    QVERIFY(glowAlpha > 0 && glowAlpha < 255);
    swf::ColorTransform cx;
    cx.rAdd = 255;
    cx.gMult = 128;
    swf::Filter::transformColors(image, cx);
    QVERIFY(near(image.pixelColor(9, 15), QColor(255, 0, 0, glowAlpha)));
    QVERIFY(near(image.pixelColor(15, 15), QColor(255, 128, 255)));
    QCOMPARE(qAlpha(image.pixel(2, 2)), 0);
}

QTEST_MAIN(TestFilter)
#include "tst_filter.moc"
