#include "character/BitmapCharacter.h"
#include "decode/BitmapDecoder.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

QByteArray zlib(const QByteArray &raw) { return qCompress(raw).mid(4); }   // without Qt's size prefix

QByteArray encode(const QImage &image, const char *format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return buffer.data();
}

// 16x8: red on the left half, blue on the right.
QImage twoColours()
{
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

// Splits a JPEG stream as DefineBits files hold it: the quantisation and
// Huffman tables in one stream, the rest in another, each with its own
// start and end markers.
QPair<QByteArray, QByteArray> splitJpeg(const QByteArray &jpeg)
{
    QByteArray tables("\xff\xd8", 2), image("\xff\xd8", 2);
    int p = 2;
    while (p + 4 <= jpeg.size()) {
        const int marker = static_cast<unsigned char>(jpeg[p + 1]);
        const int length = (static_cast<unsigned char>(jpeg[p + 2]) << 8) | static_cast<unsigned char>(jpeg[p + 3]);
        if (marker == 0xda) {
            image += jpeg.mid(p);    // the scan and the end marker
            break;
        }
        (marker == 0xdb || marker == 0xc4 ? tables : image) += jpeg.mid(p, 2 + length);
        p += 2 + length;
    }
    tables += QByteArray("\xff\xd9", 2);
    return {tables, image};
}

QRgb raw(const QImage &image, int x, int y)
{
    return reinterpret_cast<const QRgb *>(image.constScanLine(y))[x];
}

QImage bitmapOf(const swf::CharacterPtr &c)
{
    auto bitmap = std::dynamic_pointer_cast<const swf::BitmapCharacter>(c);
    return bitmap ? bitmap->image() : QImage();
}

QByteArray losslessBody(int format, int width, int height, const QByteArray &pixels, int tableSize = 0)
{
    SwfWriter w;
    w.u16(3).u8(format).u16(width).u16(height);
    if (format == 3)
        w.u8(tableSize - 1);
    w.bytes(zlib(pixels));
    return w.data();
}

// A shape filled with bitmap 3 (fill type `type`), 40x40 px, each bitmap
// pixel 10 device pixels wide.
QByteArray bitmapFilledSquare(int type, int size)
{
    SwfWriter w;
    w.u16(1).rect(0, size, 0, size);
    w.u8(1).u8(type).u16(3).matrix(200, 200, 0, 0);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(-1, 1, -1, true, 0, 0, 1, 0);
    w.lineTo(size, 0).lineTo(0, size).lineTo(-size, 0).lineTo(0, -size);
    w.endShape();
    return w.data();
}

} // namespace

class BitmapTest : public QObject
{
    Q_OBJECT

private slots:
    void jpeg_data();
    void jpeg();
    void jpeg3AlphaPlane();
    void pngAndGifInJpeg2();
    void lossless_data();
    void lossless();
    void malformed_data();
    void malformed();
    void inflateBound();
    void bitmapFill_data();
    void bitmapFill();
};

void BitmapTest::jpeg_data()
{
    QTest::addColumn<int>("tagCode");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("tables");
    const QByteArray jpeg = encode(twoColours(), "JPEG");
    const auto [tables, image] = splitJpeg(jpeg);
    QTest::newRow("DefineBits with JPEGTables") << 6 << image << tables;
    QTest::newRow("DefineBits, tables without markers")
        << 6 << image << tables.mid(2, tables.size() - 4);
    QTest::newRow("DefineBits, empty tables") << 6 << jpeg << QByteArray();
    QTest::newRow("JPEG2") << 21 << jpeg << QByteArray();
    QTest::newRow("JPEG2 with the erroneous header")
        << 21 << QByteArray("\xff\xd9\xff\xd8", 4) + jpeg << QByteArray();
    QTest::newRow("JPEG2 holding tables and image") << 21 << tables + image << QByteArray();
}

void BitmapTest::jpeg()
{
    QFETCH(int, tagCode);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, tables);
    const auto c = decode(tagCode, SwfWriter().u16(3).bytes(data).data(), nullptr, tables);
    QVERIFY(c);
    QCOMPARE(c->type(), swf::Character::Type::Bitmap);
    QCOMPARE(c->bounds(), QRectF(0, 0, 320, 160));
    const QImage image = bitmapOf(c);
    QCOMPARE(image.size(), QSize(16, 8));
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    QVERIFY(testsupport::near(raw(image, 2, 4), QColor(255, 0, 0), 12));
    QVERIFY(testsupport::near(raw(image, 13, 4), QColor(0, 0, 255), 12));
}

void BitmapTest::jpeg3AlphaPlane()
{
    QByteArray alpha;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            alpha += char(x < 4 ? 255 : x < 8 ? 128 : 0);
    const QByteArray jpeg = encode(twoColours(), "JPEG");
    for (int tag : {35, 90}) {
        SwfWriter w;
        w.u16(3).u32(std::uint32_t(jpeg.size()));
        if (tag == 90)
            w.u16(0);
        w.bytes(jpeg).bytes(zlib(alpha));
        const QImage image = bitmapOf(decode(tag, w.data()));
        QCOMPARE(image.size(), QSize(16, 8));
        QVERIFY(testsupport::near(raw(image, 1, 1), QColor(255, 0, 0), 12));
        QCOMPARE(qAlpha(raw(image, 1, 1)), 255);
        // Half alpha: the colours are premultiplied already, and no
        // channel can exceed the alpha.
        QCOMPARE(qAlpha(raw(image, 5, 1)), 128);
        QVERIFY2(std::abs(qRed(raw(image, 5, 1)) - 128) <= 8, testsupport::describe(raw(image, 5, 1)));
        QCOMPARE(raw(image, 12, 1), qRgba(0, 0, 0, 0));
    }

    // Grey 96 premultiplied by half alpha is grey 192 at half strength:
    // over white it shows 96 + 255 / 2, and it is not darkened a second time.
    QImage grey(16, 8, QImage::Format_RGB32);
    grey.fill(QColor(96, 96, 96));
    const QByteArray greyJpeg = encode(grey, "JPEG");
    SwfWriter w;
    w.u16(3).u32(std::uint32_t(greyJpeg.size())).bytes(greyJpeg).bytes(zlib(QByteArray(128, char(128))));
    const auto bitmap = decode(35, w.data());
    QVERIFY2(std::abs(qGreen(raw(bitmapOf(bitmap), 8, 4)) - 96) <= 4, testsupport::describe(raw(bitmapOf(bitmap), 8, 4)));
    const QImage drawn = render(*bitmap, {16, 8});
    QVERIFY2(testsupport::near(drawn.pixel(8, 4), QColor(223, 223, 223), 5), testsupport::describe(drawn.pixel(8, 4)));
}

void BitmapTest::pngAndGifInJpeg2()
{
    QImage source(4, 4, QImage::Format_ARGB32);
    source.fill(qRgba(0, 255, 0, 255));
    source.setPixel(3, 3, qRgba(0, 0, 0, 0));
    const QImage png = bitmapOf(decode(21, SwfWriter().u16(3).bytes(encode(source, "PNG")).data()));
    QCOMPARE(png.size(), QSize(4, 4));
    QCOMPARE(raw(png, 0, 0), qRgba(0, 255, 0, 255));
    QCOMPARE(qAlpha(raw(png, 3, 3)), 0);

    // In JPEG3 a PNG keeps its own alpha, whatever plane follows.
    const QByteArray pngData = encode(source, "PNG");
    SwfWriter w;
    w.u16(3).u32(std::uint32_t(pngData.size())).bytes(pngData).bytes(zlib(QByteArray(16, '\0')));
    QCOMPARE(raw(bitmapOf(decode(35, w.data())), 0, 0), qRgba(0, 255, 0, 255));

    // A 1x1 GIF whose one pixel is palette entry 0, red.
    const QByteArray gif = QByteArray::fromHex("474946383961010001008000" "00ff0000000000"
                                               "2c00000000010001000002024401003b");
    const QImage fromGif = bitmapOf(decode(21, SwfWriter().u16(3).bytes(gif).data()));
    QCOMPARE(fromGif.size(), QSize(1, 1));
    QCOMPARE(raw(fromGif, 0, 0), qRgb(255, 0, 0));
}

void BitmapTest::lossless_data()
{
    QTest::addColumn<int>("tagCode");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<uint>("expected");     // premultiplied ARGB

    // Format 3, 3x2 pixels: rows padded to 4 bytes.
    const QByteArray rgbTable = QByteArray::fromHex("ff0000" "00ff00" "0000ff");
    const QByteArray indices = QByteArray::fromHex("00010200" "02010000");
    const QByteArray mapped = losslessBody(3, 3, 2, rgbTable + indices, 3);
    QTest::newRow("colour-mapped, first row") << 20 << mapped << QPoint(1, 0) << uint(qRgb(0, 255, 0));
    QTest::newRow("colour-mapped, second row") << 20 << mapped << QPoint(0, 1) << uint(qRgb(0, 0, 255));
    QTest::newRow("colour-mapped, last pixel") << 20 << mapped << QPoint(2, 1) << uint(qRgb(255, 0, 0));
    const QByteArray rgbaTable = QByteArray::fromHex("80000080" "00ff00ff");
    QTest::newRow("colour-mapped with alpha")
        << 36 << losslessBody(3, 2, 1, rgbaTable + QByteArray::fromHex("00010000"), 2) << QPoint(0, 0)
        << uint(qRgba(128, 0, 0, 128));
    QTest::newRow("index past the table")
        << 20 << losslessBody(3, 2, 1, rgbTable + QByteArray::fromHex("00090000"), 3) << QPoint(1, 0) << 0u;

    // Format 4: 1:5:5:5 big-endian, rows padded to 4 bytes.
    const QByteArray pix15 = QByteArray::fromHex("7c0003e0" "001f0000");
    QTest::newRow("15-bit red") << 20 << losslessBody(4, 2, 2, pix15) << QPoint(0, 0) << uint(qRgb(255, 0, 0));
    QTest::newRow("15-bit green") << 20 << losslessBody(4, 2, 2, pix15) << QPoint(1, 0) << uint(qRgb(0, 255, 0));
    QTest::newRow("15-bit second row") << 20 << losslessBody(4, 2, 2, pix15) << QPoint(0, 1) << uint(qRgb(0, 0, 255));

    // Format 5: one unused byte then RGB; in Lossless2 premultiplied ARGB.
    const QByteArray pix24 = QByteArray::fromHex("00102030" "7f405060");
    QTest::newRow("24-bit") << 20 << losslessBody(5, 2, 1, pix24) << QPoint(1, 0) << uint(qRgb(0x40, 0x50, 0x60));
    QTest::newRow("32-bit premultiplied")
        << 36 << losslessBody(5, 2, 1, QByteArray::fromHex("80400000" "00000000")) << QPoint(0, 0)
        << uint(qRgba(0x40, 0, 0, 0x80));
    QTest::newRow("32-bit colour above alpha clamped")
        << 36 << losslessBody(5, 1, 1, QByteArray::fromHex("40ff8000")) << QPoint(0, 0)
        << uint(qRgba(0x40, 0x40, 0, 0x40));
}

void BitmapTest::lossless()
{
    QFETCH(int, tagCode);
    QFETCH(QByteArray, body);
    QFETCH(QPoint, at);
    QFETCH(uint, expected);
    const QImage image = bitmapOf(decode(tagCode, body));
    QVERIFY(!image.isNull());
    QCOMPARE(raw(image, at.x(), at.y()), QRgb(expected));
}

void BitmapTest::malformed_data()
{
    QTest::addColumn<int>("tagCode");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("unknown format") << 20 << losslessBody(6, 1, 1, QByteArray(4, '\0'));
    QTest::newRow("pixels missing") << 20 << losslessBody(5, 4, 4, QByteArray(20, '\0'));
    QTest::newRow("not zlib") << 36 << SwfWriter().u16(3).u8(5).u16(1).u16(1).bytes("garbage!").data();
    QTest::newRow("too large") << 36 << losslessBody(5, 65535, 65535, QByteArray(8, '\0'));
    QTest::newRow("more pixels than the data can hold") << 20 << losslessBody(5, 4096, 4096, QByteArray(8, '\0'));
    QTest::newRow("header cut") << 20 << SwfWriter().u16(3).u8(5).u16(1).data();
    QTest::newRow("alpha offset past the end") << 35 << SwfWriter().u16(3).u32(1000).bytes("xyz").data();
    QTest::newRow("no id") << 21 << QByteArray("\x01", 1);
}

void BitmapTest::malformed()
{
    QFETCH(int, tagCode);
    QFETCH(QByteArray, body);
    QVERIFY_THROWS_EXCEPTION(swf::DecodeError, decode(tagCode, body));
}

void BitmapTest::inflateBound()
{
    using swf::bitmapdecoder::couldInflateTo;
    // The most compressible data there is must still fit the bound, and
    // decode as a bitmap.
    const int side = 2048;
    const QByteArray packed = zlib(QByteArray(side * side * 4, '\0'));
    QVERIFY(couldInflateTo(packed.size(), qint64(side) * side * 4));
    SwfWriter w;
    w.u16(3).u8(5).u16(side).u16(side).bytes(packed);
    const QImage image = bitmapOf(decode(20, w.data()));
    QCOMPARE(image.size(), QSize(side, side));
    QCOMPARE(image.pixel(side - 1, side - 1), qRgb(0, 0, 0));

    QVERIFY(couldInflateTo(10, 10320));
    QVERIFY(!couldInflateTo(10, 10321));
    QVERIFY(!couldInflateTo(0, 1));
}

void BitmapTest::bitmapFill_data()
{
    QTest::addColumn<int>("fillType");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("alphaMult");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");
    QTest::addColumn<int>("tolerance");
    // Bitmap 2x2: red green / blue yellow, 10 px per bitmap pixel.
    QTest::newRow("clipped, top left") << 0x43 << 400 << 256 << QPoint(5, 5) << QColor(255, 0, 0) << 6;
    QTest::newRow("clipped, top right") << 0x43 << 400 << 256 << QPoint(15, 5) << QColor(0, 255, 0) << 6;
    QTest::newRow("clipped, bottom left") << 0x43 << 400 << 256 << QPoint(4, 15) << QColor(0, 0, 255) << 6;
    QTest::newRow("unsmoothed, between pixels") << 0x43 << 400 << 256 << QPoint(10, 5) << QColor(0, 255, 0) << 6;
    // Half way between the centres of the red and the green pixel.
    QTest::newRow("smoothed, between pixels") << 0x41 << 400 << 256 << QPoint(10, 5) << QColor(115, 140, 0) << 20;
    // At the corner of a clipped fill, smoothing blends the edge with itself.
    QTest::newRow("smoothed, clipped at the edge") << 0x41 << 400 << 256 << QPoint(0, 4) << QColor(255, 0, 0) << 6;
    QTest::newRow("repeating, second tile") << 0x42 << 800 << 256 << QPoint(35, 25) << QColor(0, 255, 0) << 6;
    QTest::newRow("repeating, outside") << 0x42 << 800 << 256 << QPoint(45, 25) << QColor(Qt::white) << 6;
    QTest::newRow("half alpha") << 0x43 << 400 << 128 << QPoint(5, 5) << QColor(255, 127, 127) << 6;
}

void BitmapTest::bitmapFill()
{
    QFETCH(int, fillType);
    QFETCH(int, size);
    QFETCH(int, alphaMult);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);
    QFETCH(int, tolerance);
    swf::Dictionary dictionary;
    dictionary.insert(3, decode(20, losslessBody(5, 2, 2, QByteArray::fromHex("00ff0000" "0000ff00" "000000ff" "00ffff00"))));
    const auto shape = decode(32, bitmapFilledSquare(fillType, size), &dictionary);
    QVERIFY(shape);
    swf::ColorTransform cx;
    cx.aMult = alphaMult;
    const QImage image = render(*shape, {50, 50}, QTransform::fromScale(0.05, 0.05), cx);
    QVERIFY2(testsupport::near(image.pixel(at), expected, tolerance), testsupport::describe(image.pixel(at)));

    // A colour transform on the pixels: red and green channels dropped.
    cx = {};
    cx.rMult = 0;
    cx.gMult = 0;
    const QImage dark = render(*shape, {50, 50}, QTransform::fromScale(0.05, 0.05), cx);
    QVERIFY2(testsupport::near(dark.pixel(5, 5), Qt::black, 20), testsupport::describe(dark.pixel(5, 5)));
}

QTEST_MAIN(BitmapTest)
#include "tst_bitmaps.moc"
