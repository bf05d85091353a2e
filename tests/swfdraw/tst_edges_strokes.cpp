#include "render/RasterCache.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

// A DefineShape4 body: the outline of the square 1000..3000 twips, stroked
// 100 twips wide in green by a line style that scales on neither axis.
QByteArray nonScalingSquare()
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0x02);
    w.u8(0);                         // no fills
    w.u8(1).u16(100);
    w.u8(0x06).u8(0x00);             // round caps and joins, no horizontal or vertical scaling
    w.rgba(QColor(0, 200, 0));
    w.ub(4, 0).ub(4, 1);
    w.styleChange(-1, -1, 1, true, 1000, 1000, 0, 1);
    w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
    w.endShape();
    return w.data();
}

// A DefineShape body: a black line 44 twips (2.2 pixels) wide across the
// whole picture, its middle `y` twips down.
QByteArray wideLine(int y)
{
    SwfWriter w;
    w.u16(1).rect(-400, 2400, 0, 2000);
    w.u8(0);
    w.u8(1).u16(44).rgb(Qt::black);
    w.ub(4, 0).ub(4, 1);
    w.styleChange(-1, -1, 1, true, -400, y, 0, 1);
    w.lineTo(2800, 0);
    w.endShape();
    return w.data();
}

// How many pixels in a run are painted green, along a row or a column.
int greenRun(const QImage &image, QPoint start, QPoint step, int length)
{
    int count = 0;
    for (int i = 0; i < length; ++i) {
        const QPoint p = start + step * i;
        if (testsupport::near(image.pixel(p), QColor(0, 200, 0), 40))
            ++count;
    }
    return count;
}

} // namespace

class TestEdgeStrokes : public QObject
{
    Q_OBJECT

private slots:
    void nonScalingStrokeKeepsItsThinnestWidth_data();
    void nonScalingStrokeKeepsItsThinnestWidth();
    void strokeEdgesCoverInSixteenths();
};

void TestEdgeStrokes::nonScalingStrokeKeepsItsThinnestWidth_data()
{
    QTest::addColumn<QTransform>("stretch");   // applied to the shape at one pixel per 20 twips
    QTest::addColumn<int>("topWidth");         // pixels down across the top side

    // 100 twips are 5 pixels whatever the scale while the shape stays
    // upright; skewed, the stroke is 5 pixels across where the shape is
    // squeezed most and follows the skew elsewhere.
    QTest::newRow("own size") << QTransform() << 5;
    QTest::newRow("doubled") << QTransform::fromScale(2, 2) << 5;
    QTest::newRow("halved") << QTransform::fromScale(0.5, 0.5) << 5;
    QTest::newRow("wide") << QTransform::fromScale(3, 1) << 5;
    QTest::newRow("tall") << QTransform::fromScale(1, 2) << 5;
    // Singular values of (1 1; 0 1): 1.618 and 0.618; the top side keeps
    // the 5 pixels scaled by 1 / 0.618.
    QTest::newRow("sheared") << QTransform(1, 0, 1, 1, 0, 0) << 8;
}

void TestEdgeStrokes::nonScalingStrokeKeepsItsThinnestWidth()
{
    QFETCH(QTransform, stretch);
    QFETCH(int, topWidth);
    const swf::CharacterPtr shape = decode(83, nonScalingSquare());
    QVERIFY(shape);
    // The middle of the square's top side lands at (100, 40) pixels.
    QTransform matrix = QTransform::fromScale(0.05, 0.05) * stretch;
    const QPointF at = matrix.map(QPointF(2000, 1000));
    matrix *= QTransform::fromTranslate(100 - at.x(), 40 - at.y());
    const QImage image = render(*shape, QSize(200, 200), matrix);
    const int top = greenRun(image, QPoint(100, 20), QPoint(0, 1), 40);
    QVERIFY2(std::abs(top - topWidth) <= 1, QByteArray::number(top));
}

void TestEdgeStrokes::strokeEdgesCoverInSixteenths()
{
    // The blend onto the picture is checked, not the cache's blit.
    swf::rastercache::setEnabled(false);
    // From y = 10.0 to 12.2 pixels: rows 10 and 11 hold all sixteen
    // samples, row 12 the four at 1/8 of its height.
    const swf::CharacterPtr line = decode(2, wideLine(222));
    QVERIFY(line);
    const QImage image = render(*line, QSize(40, 40));
    for (int x : {0, 17, 39}) {
        QCOMPARE(qRed(image.pixel(x, 9)), 255);
        QCOMPARE(qRed(image.pixel(x, 10)), 0);
        QCOMPARE(qRed(image.pixel(x, 11)), 0);
        QCOMPARE(qRed(image.pixel(x, 12)), 191);
        QCOMPARE(qRed(image.pixel(x, 13)), 255);
    }
    swf::rastercache::setEnabled(true);
}

QTEST_MAIN(TestEdgeStrokes)
#include "tst_edges_strokes.moc"
