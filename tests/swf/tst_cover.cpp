// Objects that hide what lies below them: a frame drawn again only where it
// changed skips the background and every object under an opaque one that
// covers the whole rectangle (a sky). Asking must be conservative: a fill
// that fades, is masked, filtered or stops short of the rectangle hides
// nothing.
#include "display/Clip.h"
#include "MovieBuilder.h"
#include "Player.h"
#include "render/Renderer.h"

#include <QImage>
#include <QTest>

namespace {

const QTransform kPixels = QTransform::fromScale(0.05, 0.05);

int covering(const swf::Player &p, const QRect &pixels)
{
    return swf::Renderer::coveringDepth(p.rootClip(), kPixels, pixels);
}

// A 20 px blur, enough to be a filter.
QByteArray blur()
{
    QByteArray f;
    f.append(char(1)).append(char(1));
    for (int i = 0; i < 2; ++i)
        f.append(QByteArray("\x00\x00\x14\x00", 4));
    f.append(char(0x08));
    return f;
}

} // namespace

class TestCover : public QObject
{
    Q_OBJECT

private slots:
    void whatHidesARectangle_data();
    void whatHidesARectangle();
    void fadedSkyLetsTheChangeShowThrough();
    void skyOverAMovingShapeDrawsAsAWhole();
};

void TestCover::whatHidesARectangle_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<int>("depth");

    const QRect inside(20, 30, 40, 20);
    QTest::newRow("sky") << QByteArray("sky") << inside << 1;
    QTest::newRow("sky, edge pixels not sure") << QByteArray("sky") << QRect(0, 0, 10, 10) << swf::Renderer::NoDepth;
    QTest::newRow("highest of two skies") << QByteArray("two skies") << inside << 3;
    QTest::newRow("two halves together") << QByteArray("halves") << QRect(10, 10, 80, 80) << 1;
    QTest::newRow("upper half alone") << QByteArray("halves") << QRect(60, 10, 30, 80) << 2;
    QTest::newRow("short of the rectangle") << QByteArray("small") << inside << swf::Renderer::NoDepth;
    QTest::newRow("in a sprite") << QByteArray("sprite") << inside << 2;
    QTest::newRow("faded") << QByteArray("faded") << inside << swf::Renderer::NoDepth;
    QTest::newRow("masked") << QByteArray("masked") << inside << swf::Renderer::NoDepth;
    QTest::newRow("above a mask's range") << QByteArray("above mask") << inside << 4;
    QTest::newRow("filtered") << QByteArray("filtered") << inside << swf::Renderer::NoDepth;
    QTest::newRow("nothing") << QByteArray("nothing") << inside << swf::Renderer::NoDepth;
}

void TestCover::whatHidesARectangle()
{
    QFETCH(QByteArray, kind);
    QFETCH(QRect, pixels);
    QFETCH(int, depth);

    MovieBuilder b;
    b.rectShape(1, 0, 0, 2000, 2000, 0, 0, 255);        // the whole stage
    b.rectShape(2, 600, 600, 800, 800, 255, 0, 0);      // a small square
    b.rectShape(3, 0, 0, 1100, 2000, 0, 255, 0);        // left half and a bit
    b.rectShape(4, 900, 0, 2000, 2000, 255, 255, 0);    // right half and a bit
    if (kind == "sky") {
        b.place(1, 1).place(2, 2);
    } else if (kind == "two skies") {
        b.place(1, 1).place(2, 2).place(3, 1);
    } else if (kind == "halves") {
        b.place(1, 3).place(2, 4);
    } else if (kind == "small") {
        b.place(1, 2);
    } else if (kind == "sprite") {
        MovieBuilder inner;
        inner.place(1, 2).place(2, 1).showFrame();
        b.sprite(10, inner).place(1, 2).place(2, 10);
    } else if (kind == "faded") {
        b.placeFaded(1, 1, 200);
    } else if (kind == "masked") {
        b.place(1, 1, 0, {}, 3).place(2, 1);
    } else if (kind == "above mask") {
        b.place(1, 1, 0, {}, 3).place(2, 1).place(4, 1);
    } else if (kind == "filtered") {
        b.placeFiltered(1, 1, 0, blur());
    }
    b.showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QCOMPARE(covering(*p, pixels), depth);
}

// A translucent sky over a shape that moves: the old place of the shape
// must not show through where the new frame is drawn.
void TestCover::fadedSkyLetsTheChangeShowThrough()
{
    MovieBuilder b;
    b.rectShape(1, 0, 0, 2000, 2000, 0, 0, 255);
    b.rectShape(2, 0, 600, 200, 800, 255, 0, 0);         // 10 px, 30 px down
    b.place(1, 2, 300).placeFaded(2, 1, 128).showFrame();
    b.move(1, {}, 1300).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage picture(100, 100, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    p->renderChanges(picture);
    p->advance();
    QVERIFY(!p->renderChanges(picture).isEmpty());
    QCOMPARE(picture, p->renderImage(QSize(100, 100)));
}

// Under an opaque sky a moving shape is redrawn without the background:
// the picture still equals a full drawing, and the shape below the sky
// never shows.
void TestCover::skyOverAMovingShapeDrawsAsAWhole()
{
    MovieBuilder b;
    b.background(0, 255, 0);
    b.rectShape(1, 0, 0, 2000, 2000, 0, 0, 255);
    b.rectShape(2, 0, 600, 200, 800, 255, 0, 0);         // 10 px, 30 px down
    b.rectShape(3, 0, 600, 300, 900, 255, 255, 255);
    b.place(1, 2, 300).place(2, 1).place(3, 3, 300).showFrame();
    b.move(1, {}, 1300).move(3, {}, 1300).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage picture(100, 100, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    p->renderChanges(picture);
    p->advance();
    const QRegion drawn = p->renderChanges(picture);
    QVERIFY(drawn.contains(QPoint(70, 35)));
    QCOMPARE(picture, p->renderImage(QSize(100, 100)));
    QCOMPARE(picture.pixelColor(70, 35), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(20, 35), QColor(Qt::blue));
}

QTEST_MAIN(TestCover)
#include "tst_cover.moc"
