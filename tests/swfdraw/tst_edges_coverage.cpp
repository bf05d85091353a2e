#include "render/RasterCache.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

// A DefineShape3 body: one rectangle (twips) filled with `color`.
QByteArray rectangle(QRect r, const QColor &color)
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000);
    w.u8(1).u8(0x00).rgba(color);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(-1, 1, -1, true, r.left(), r.top(), 1, 0);
    w.lineTo(r.width(), 0).lineTo(0, r.height()).lineTo(-r.width(), 0).lineTo(0, -r.height());
    w.endShape();
    return w.data();
}

} // namespace

class TestEdgeCoverage : public QObject
{
    Q_OBJECT

private slots:
    // The blend onto the picture is what is checked here, not the cache's
    // blit of a picture blended onto transparency.
    void initTestCase() { swf::rastercache::setEnabled(false); }
    void coverageComesInSixteenths_data();
    void coverageComesInSixteenths();
    void translucentFillBlendsByItsShare();
};

void TestEdgeCoverage::coverageComesInSixteenths_data()
{
    QTest::addColumn<int>("left");     // twips; the pixel column 10 spans 200..220
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("grey");     // what black over white leaves in column 10

    // The 4 x 4 samples of a pixel stand at 1/8, 3/8, 5/8 and 7/8 of it;
    // black covering k sixteenths leaves 255 * (16 - k) / 16, rounded down.
    QTest::newRow("sliver between samples") << 200 << 202 << 255;
    QTest::newRow("sliver over a column") << 202 << 204 << 191;
    QTest::newRow("one column") << 200 << 206 << 191;
    QTest::newRow("half") << 200 << 210 << 127;
    QTest::newRow("three columns") << 200 << 216 << 63;
    QTest::newRow("right half") << 210 << 400 << 127;
    QTest::newRow("whole") << 200 << 400 << 0;
}

void TestEdgeCoverage::coverageComesInSixteenths()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, grey);
    const swf::CharacterPtr shape = decode(32, rectangle(QRect(left, 100, right - left, 300), Qt::black));
    QVERIFY(shape);
    const QImage image = render(*shape, QSize(40, 40));
    COMPARE_PIXEL(image, 10, 10, QColor(grey, grey, grey));
    QCOMPARE(qRed(image.pixel(10, 10)), grey);
    COMPARE_PIXEL(image, 8, 10, Qt::white);
}

void TestEdgeCoverage::translucentFillBlendsByItsShare()
{
    // Half-transparent red over half of a pixel: a quarter of red, the
    // backdrop keeping 256 - 128 * 128 / 255 of 256.
    const swf::CharacterPtr shape = decode(32, rectangle(QRect(200, 100, 10, 300),
                                                         QColor(255, 0, 0, 128)));
    QVERIFY(shape);
    const QImage image = render(*shape, QSize(40, 40));
    const QRgb p = image.pixel(10, 10);
    QCOMPARE(qRed(p), 255);
    QVERIFY2(std::abs(qGreen(p) - 191) <= 1, qPrintable(testsupport::describe(p)));
    QCOMPARE(qGreen(p), qBlue(p));
}

QTEST_MAIN(TestEdgeCoverage)
#include "tst_edges_coverage.moc"
