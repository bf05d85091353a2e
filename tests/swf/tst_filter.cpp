// Bitmap filters: decoding of the filter list, and what each filter does to
// a picture.
#include "BitReader.h"
#include "Filter.h"

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
    QTest::newRow("stage size") << 1.0 << 5;
    QTest::newRow("stage drawn twice as big") << 2.0 << 10;
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
    // Nothing gained or lost but the rounding down of each pass.
    QVERIFY(alphaSum(image) <= 255 && alphaSum(image) >= 255 - 2 * width);
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

QTEST_MAIN(TestFilter)
#include "tst_filter.moc"
