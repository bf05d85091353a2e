// The SWF writer: bit fields, the file's header, and shapes, morphs,
// sprites, colour transforms and bitmaps that the engine draws as the
// QPainter rendering of the same description.
#include "BitWriter.h"
#include "ImageCompare.h"
#include "SceneRenderer.h"
#include "SwfWriter.h"
#include "VectorShape.h"

#include <Player.h>

#include <QPainter>
#include <QtEndian>
#include <QtTest>

using ImageCompare::changedShare;

namespace {

constexpr int kStage = 200;

// Draws `shapes` with QPainter as a movie frame would: placed by `matrix`
// (twips) and coloured through `color`.
QImage painted(const std::vector<VectorShape> &shapes, const SwfMatrix &matrix, const SwfColorTransform &color)
{
    QImage image(kStage, kStage, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(matrix.toTransform() * QTransform::fromScale(0.05, 0.05));
    for (const VectorShape &s : shapes)
        SceneRenderer::drawShape(painter, s, color);
    return image;
}

QImage played(const QByteArray &movie, int frames = 1)
{
    QString error;
    std::unique_ptr<swf::Player> player = swf::Player::fromBytes(movie, &error);
    if (!player) {
        qWarning() << error;
        return {};
    }
    for (int i = 1; i < frames; ++i)
        player->advance();
    return player->renderImage(QSize(kStage, kStage));
}

int inkedPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

SwfMatrix placedAt(double x, double y, double scale = 1.0, double degrees = 0.0)
{
    QTransform t;
    t.translate(x * 20, y * 20);
    t.rotate(degrees);
    t.scale(scale, scale);
    return SwfMatrix::fromTransform(t);
}

} // namespace

Q_DECLARE_METATYPE(VectorShape)
Q_DECLARE_METATYPE(SwfMatrix)

class TestSwfWriter : public QObject
{
    Q_OBJECT

private slots:
    void bitWidths_data();
    void bitWidths();
    void bitFieldsPackMostSignificantFirst();
    void headerDescribesTheMovie();
    void shapeDrawnAsDescribed_data();
    void shapeDrawnAsDescribed();
    void morphHalfway();
    void spriteWithColourTransform();
    void bitmapShape();
    void removedObjectDisappears();
};

void TestSwfWriter::bitWidths_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("signedBits");
    QTest::addColumn<int>("unsignedBits");
    QTest::newRow("0") << 0 << 1 << 0;
    QTest::newRow("1") << 1 << 2 << 1;
    QTest::newRow("-1") << -1 << 1 << 32;
    QTest::newRow("-2") << -2 << 2 << 32;
    QTest::newRow("255") << 255 << 9 << 8;
    QTest::newRow("-256") << -256 << 9 << 32;
    QTest::newRow("8000 twips") << 8000 << 14 << 13;
    QTest::newRow("16.16 one") << 65536 << 18 << 17;
}

void TestSwfWriter::bitWidths()
{
    QFETCH(int, value);
    QFETCH(int, signedBits);
    QFETCH(int, unsignedBits);
    QCOMPARE(BitWriter::signedBits(value), signedBits);
    QCOMPARE(BitWriter::unsignedBits(uint32_t(value)), unsignedBits);
}

void TestSwfWriter::bitFieldsPackMostSignificantFirst()
{
    BitWriter w;
    w.writeUB(5, 3);       // 101
    w.writeSB(-2, 3);      // 110
    w.writeUB(1, 1);       // 1
    w.writeU16(0x1234);    // pads the pending bit, then little-endian
    QCOMPARE(w.bytes(), QByteArray("\xba\x34\x12"));
}

void TestSwfWriter::headerDescribesTheMovie()
{
    SwfWriter swf(QSize(400, 300), 12.0, Qt::white);
    swf.showFrame();
    swf.showFrame();
    const QByteArray file = swf.finish();
    QCOMPARE(file.left(3), QByteArray("CWS"));
    QCOMPARE(int(file.at(3)), 8);
    const quint32 length = qFromLittleEndian<quint32>(file.constData() + 4);

    // qUncompress wants the plain size, big-endian, before the zlib stream.
    QByteArray packed(4, 0);
    qToBigEndian<quint32>(length - 8, packed.data());
    const QByteArray plain = qUncompress(packed + file.mid(8));
    QCOMPARE(quint32(plain.size()), length - 8);

    // RECT: 14 bits per field hold 8000 twips.
    const int bits = uchar(plain.at(0)) >> 3;
    QCOMPARE(bits, 14);
    const int rectBytes = (5 + 4 * bits + 7) / 8;
    QCOMPARE(qFromLittleEndian<quint16>(plain.constData() + rectBytes), quint16(12 << 8));
    QCOMPARE(qFromLittleEndian<quint16>(plain.constData() + rectBytes + 2), quint16(2));

    QString error;
    const std::unique_ptr<swf::Player> player = swf::Player::fromBytes(file, &error);
    QVERIFY2(player, qPrintable(error));
    QCOMPARE(player->info().stage, QRectF(0, 0, 8000, 6000));
    QCOMPARE(player->info().frameCount, 2);
    QCOMPARE(player->info().frameRate, 12.0);
}

void TestSwfWriter::shapeDrawnAsDescribed_data()
{
    QTest::addColumn<VectorShape>("shape");
    QTest::addColumn<SwfMatrix>("matrix");
    const QColor red(220, 40, 40), ink(30, 30, 60);
    QTest::newRow("ellipse, solid") << VectorShape::ellipse({0, 0}, 60, 35).fill(red).outline(ink, 4) << placedAt(100, 100);
    QTest::newRow("rounded rect, linear gradient")
        << VectorShape::roundRect(QRectF(-70, -50, 140, 100), 20).linear(Qt::yellow, Qt::blue, {-70, 0}, {70, 0}).outline(ink, 3)
        << placedAt(100, 100);
    QTest::newRow("circle, radial gradient")
        << VectorShape::circle({0, 0}, 70).radial(Qt::white, QColor(0, 120, 0), {-20, -20}, 90).noOutline()
        << placedAt(100, 100);
    // Drawn clockwise and anticlockwise: the fill must land inside both times.
    QTest::newRow("triangle, clockwise")
        << VectorShape::polygon({{-60, 50}, {0, -60}, {60, 50}}).fill(red).outline(ink, 3) << placedAt(100, 110);
    QTest::newRow("triangle, anticlockwise")
        << VectorShape::polygon({{-60, 50}, {60, 50}, {0, -60}}).fill(red).outline(ink, 3) << placedAt(100, 110);
    VectorShape curve = VectorShape::path({-70, 30});
    curve.quadTo({0, -90}, {70, 30}).lineTo({70, 40});
    QTest::newRow("open path, outline only") << curve.outline(QColor(0, 0, 200), 8) << placedAt(100, 100);
    QTest::newRow("scaled and turned")
        << VectorShape::roundRect(QRectF(-40, -20, 80, 40), 6).fill(QColor(40, 160, 60)).outline(ink, 3)
        << placedAt(90, 110, 1.6, 30);
}

void TestSwfWriter::shapeDrawnAsDescribed()
{
    QFETCH(VectorShape, shape);
    QFETCH(SwfMatrix, matrix);
    SwfWriter swf(QSize(kStage, kStage), 12.0, Qt::white);
    swf.place(1, swf.defineShape(shape), matrix, {});
    swf.showFrame();
    const QImage engine = played(swf.finish());
    QVERIFY(!engine.isNull());
    const QImage expected = painted({shape}, matrix, {});
    QVERIFY(inkedPixels(expected) > 500);
    QVERIFY2(changedShare(engine, expected) < 0.01, qPrintable(QString::number(changedShare(engine, expected))));
}

void TestSwfWriter::morphHalfway()
{
    const VectorShape from = VectorShape::roundRect(QRectF(-30, -30, 60, 60), 10).fill(QColor(200, 0, 0)).outline(Qt::black, 2);
    const VectorShape to = VectorShape::roundRect(QRectF(-80, -40, 160, 80), 30).fill(QColor(0, 0, 200)).outline(Qt::black, 6);
    QVERIFY(from.morphsInto(to));
    SwfWriter swf(QSize(kStage, kStage), 12.0, Qt::white);
    const int morph = swf.defineMorphShape(from, to);
    swf.place(1, morph, placedAt(100, 100), {}, 0);
    swf.showFrame();
    swf.move(1, placedAt(100, 100), {}, 32768);
    swf.showFrame();
    swf.move(1, placedAt(100, 100), {}, 65535);
    swf.showFrame();
    const QByteArray movie = swf.finish();
    const double ratios[] = {0.0, 32768 / 65535.0, 1.0};
    for (int f = 0; f < 3; ++f) {
        const QImage expected = painted({VectorShape::blended(from, to, ratios[f])}, placedAt(100, 100), {});
        QVERIFY2(changedShare(played(movie, f + 1), expected) < 0.01, qPrintable(QStringLiteral("frame %1").arg(f + 1)));
    }
}

void TestSwfWriter::spriteWithColourTransform()
{
    const std::vector<VectorShape> group{VectorShape::circle({-30, 0}, 40).fill(QColor(250, 200, 40)).outline(Qt::black, 3),
                                         VectorShape::roundRect(QRectF(0, -20, 70, 40), 8).fill(QColor(60, 120, 250)).outline(Qt::black, 3)};
    const SwfColorTransform dim = SwfColorTransform::fromTint(QColor(128, 200, 255), 0.5);
    SwfWriter swf(QSize(kStage, kStage), 12.0, Qt::white);
    std::vector<int> ids;
    for (const VectorShape &s : group)
        ids.push_back(swf.defineShape(s));
    swf.place(3, swf.defineGroupSprite(ids), placedAt(100, 100, 1.2, -20), dim);
    swf.showFrame();
    const QImage engine = played(swf.finish());
    const QImage expected = painted(group, placedAt(100, 100, 1.2, -20), dim);
    QVERIFY(ImageCompare::difference(expected, painted(group, placedAt(100, 100, 1.2, -20), {})) > 5.0);
    QVERIFY2(changedShare(engine, expected) < 0.01, qPrintable(QString::number(changedShare(engine, expected))));
}

void TestSwfWriter::bitmapShape()
{
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(QColor(30, 140, 220));
    QPainter(&picture).fillRect(QRect(20, 10, 50, 40), QColor(250, 220, 40));
    SwfWriter swf(QSize(kStage, kStage), 12.0, Qt::white);
    const int shape = swf.defineBitmapShape(swf.defineBitmap(picture), picture.size());
    swf.place(1, shape, placedAt(40, 60), {});
    swf.showFrame();
    const QImage engine = played(swf.finish());
    QImage expected(kStage, kStage, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter(&expected).drawImage(40, 60, picture);
    QVERIFY2(changedShare(engine, expected) < 0.01, qPrintable(QString::number(changedShare(engine, expected))));
}

void TestSwfWriter::removedObjectDisappears()
{
    SwfWriter swf(QSize(kStage, kStage), 12.0, Qt::white);
    const int id = swf.defineShape(VectorShape::circle({0, 0}, 50).fill(Qt::red));
    swf.place(1, id, placedAt(100, 100), {});
    swf.showFrame();
    swf.remove(1);
    swf.showFrame();
    const QByteArray movie = swf.finish();
    QVERIFY(inkedPixels(played(movie, 1)) > 1000);
    QCOMPARE(inkedPixels(played(movie, 2)), 0);
}

QTEST_MAIN(TestSwfWriter)
#include "tst_swfwriter.moc"
