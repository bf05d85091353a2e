#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

// A red 1000-twip square at the origin morphing into a blue one at x 2000,
// whose top edge becomes a curve bulging 1000 twips upwards. The start
// shape's top edge is straight: the pair is drawn as a curve.
QByteArray morphBody(int tagCode, bool offsetZero = false)
{
    SwfWriter styles;
    styles.u8(1).u8(0x00).rgba(QColor(255, 0, 0)).rgba(QColor(0, 0, 255));
    if (tagCode == 84)
        styles.u8(1).u16(0).u16(0).u8(0).u8(0).rgba(Qt::black).rgba(Qt::black);
    else
        styles.u8(1).u16(0).u16(0).rgba(Qt::black).rgba(Qt::black);
    SwfWriter start;
    start.ub(4, 1).ub(4, 1);
    start.styleChange(-1, 1, 0, true, 0, 1000, 1, 1);
    start.lineTo(1000, 0).lineTo(0, 1000).lineTo(-1000, 0).lineTo(0, -1000);
    start.endShape();
    SwfWriter end;
    end.ub(4, 0).ub(4, 0);
    end.styleChange(-1, -1, -1, true, 2000, 1000, 0, 0);
    end.curveTo(500, -1000, 500, 1000).lineTo(0, 1000).lineTo(-1000, 0).lineTo(0, -1000);
    end.endShape();
    const QByteArray beforeEnd = styles.data() + start.data();

    SwfWriter w;
    w.u16(7).rect(0, 1000, 1000, 2000).rect(2000, 3000, 0, 2000);
    if (tagCode == 84)
        w.rect(0, 1000, 1000, 2000).rect(2000, 3000, 0, 2000).u8(0);
    w.u32(offsetZero ? 0 : std::uint32_t(beforeEnd.size()));
    w.bytes(beforeEnd).bytes(end.data());
    return w.data();
}

} // namespace

class MorphTest : public QObject
{
    Q_OBJECT

private slots:
    void ratios_data();
    void ratios();
    void boundsFollowRatio();
    void truncatedTagThrows();
};

void MorphTest::ratios_data()
{
    QTest::addColumn<int>("tagCode");
    QTest::addColumn<bool>("offsetZero");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("squareLeft");     // pixels
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("bulgeTop");       // pixels above y=50 covered in the middle
    for (int tag : {46, 84}) {
        const QByteArray name = tag == 46 ? "DefineMorphShape" : "DefineMorphShape2";
        QTest::newRow(name + " at 0") << tag << false << 0.0 << 0 << QColor(255, 0, 0) << 0;
        QTest::newRow(name + " at 0.5") << tag << false << 0.5 << 50 << QColor(128, 0, 127) << 12;
        QTest::newRow(name + " at 1") << tag << false << 1.0 << 100 << QColor(0, 0, 255) << 25;
    }
    QTest::newRow("offset left 0") << 46 << true << 1.0 << 100 << QColor(0, 0, 255) << 25;
}

void MorphTest::ratios()
{
    QFETCH(int, tagCode);
    QFETCH(bool, offsetZero);
    QFETCH(double, ratio);
    QFETCH(int, squareLeft);
    QFETCH(QColor, color);
    QFETCH(int, bulgeTop);
    const auto morph = decode(tagCode, morphBody(tagCode, offsetZero));
    QVERIFY(morph);
    QCOMPARE(morph->type(), swf::Character::Type::MorphShape);
    const QImage image = render(*morph, {200, 120}, QTransform::fromScale(0.05, 0.05), {}, ratio);
    COMPARE_PIXEL(image, squareLeft + 25, 75, color);
    COMPARE_PIXEL(image, squareLeft + 25, 52, color);
    if (squareLeft > 0)
        COMPARE_PIXEL(image, squareLeft - 25, 75, Qt::white);
    COMPARE_PIXEL(image, squareLeft + 75, 75, Qt::white);
    // The curve's peak: covered at (bulge - 3) above the square, clear at (bulge + 3).
    if (bulgeTop > 0)
        COMPARE_PIXEL(image, squareLeft + 25, 50 - bulgeTop + 3, color);
    COMPARE_PIXEL(image, squareLeft + 25, 50 - bulgeTop - 3, Qt::white);
}

void MorphTest::boundsFollowRatio()
{
    const auto morph = decode(46, morphBody(46));
    QVERIFY(morph);
    QCOMPARE(morph->bounds(0.0), QRectF(0, 1000, 1000, 1000));
    QCOMPARE(morph->bounds(0.5), QRectF(1000, 500, 1000, 1500));
    QVERIFY(morph->clipPath(1.0).contains(QPointF(2500, 1500)));
    QVERIFY(!morph->clipPath(0.0).contains(QPointF(2500, 1500)));
}

void MorphTest::truncatedTagThrows()
{
    for (int tag : {46, 84}) {
        const QByteArray body = morphBody(tag);
        for (int length = 0; length < body.size(); ++length)
            QVERIFY_THROWS_EXCEPTION(swf::DecodeError, decode(tag, body.left(length)));
    }
}

QTEST_MAIN(MorphTest)
#include "tst_morph.moc"
