// The render loop on hand-built display lists: masks by clip depth and
// their stacking, the stage shown "ShowAll", sprites drawn through their
// placement.
#include "MovieBuilder.h"
#include "PictureLimit.h"
#include "Player.h"
#include "render/Renderer.h"

#include <QPainter>
#include <QtTest>

class TestRender : public QObject
{
    Q_OBJECT
private slots:
    void maskClipsItsRange_data();
    void maskClipsItsRange();
    void showAll();
    void masksAtHighDensity();
    void stackedStagesAreBounded_data();
    void stackedStagesAreBounded();
    void scalesPastSenseDrawNothing();
    void picturesPastTheLimit_data();
    void picturesPastTheLimit();
    void hugeStageIsRefused();
};

void TestRender::maskClipsItsRange_data()
{
    QTest::addColumn<int>("contentDepth");
    QTest::addColumn<QPoint>("inside");   // a pixel that shows the content
    QTest::addColumn<QPoint>("outside");  // a pixel the masks hide
    // Mask A (x 0-50 px) at depth 1 clips up to depth 3; mask B (x 25-100 px)
    // sits at depth 3, inside A's range, and clips up to depth 5.
    QTest::newRow("under A alone") << 2 << QPoint(10, 50) << QPoint(75, 50);
    QTest::newRow("under B: A stays open while B is") << 5 << QPoint(40, 50) << QPoint(75, 50);
    QTest::newRow("under B, left of it") << 5 << QPoint(40, 50) << QPoint(10, 50);
    QTest::newRow("past both") << 6 << QPoint(75, 50) << QPoint(-1, -1);
}

void TestRender::maskClipsItsRange()
{
    QFETCH(int, contentDepth);
    QFETCH(QPoint, inside);
    QFETCH(QPoint, outside);
    MovieBuilder b;
    b.rectShape(1, 0, 0, 1000, 2000, 0, 0, 0);      // mask A
    b.rectShape(2, 500, 0, 2000, 2000, 0, 0, 0);    // mask B
    b.rectShape(3, 0, 0, 2000, 2000, 255, 0, 0);    // red content
    b.place(1, 1, {}, {}, 3).place(3, 2, {}, {}, 5).place(contentDepth, 3).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    const QImage image = p->renderImage();
    QCOMPARE(image.size(), QSize(100, 100));
    QCOMPARE(image.pixelColor(inside), QColor(Qt::red));
    if (outside.x() >= 0)
        QCOMPARE(image.pixelColor(outside), QColor(Qt::white));
    // The masks themselves are never drawn.
    if (contentDepth != 6)
        QCOMPARE(image.pixelColor(99, 0) == QColor(Qt::black), false);
}

void TestRender::showAll()
{
    MovieBuilder inner;
    inner.place(1, 1).showFrame().end();
    MovieBuilder b;
    b.background(0, 0, 255).rectShape(1, 0, 0, 1000, 1000, 0, 255, 0).sprite(2, inner);
    b.place(1, 2, 1000).showFrame().end(); // the sprite, moved right by half the stage
    auto p = b.load();
    QVERIFY(p);
    // 100 x 100 stage into 300 x 150: scale 1.5, centred with 75 px margins.
    QImage image(300, 150, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    p->render(painter, image.rect());
    painter.end();
    QCOMPARE(image.pixelColor(10, 75), QColor(Qt::blue));    // margin: background
    QCOMPARE(image.pixelColor(100, 30), QColor(Qt::blue));   // stage left half
    QCOMPARE(image.pixelColor(75 + 100, 30), QColor(Qt::green)); // sprite at 50..100 px * 1.5
    QCOMPARE(image.pixelColor(75 + 100, 100), QColor(Qt::blue));
    QCOMPARE(p->renderImage(QSize(40, 80)).pixelColor(30, 30), QColor(Qt::green));
}

void TestRender::masksAtHighDensity()
{
    // A mask edge half-way through a logical pixel falls on a physical
    // pixel boundary at two physical pixels per logical one: drawn at full
    // density, both sides stay clean.
    MovieBuilder b;
    b.rectShape(1, 0, 0, 1010, 2000, 0, 0, 0);      // mask: 50.5 logical px wide
    b.rectShape(2, 0, 0, 2000, 2000, 255, 0, 0);
    b.place(1, 1, {}, {}, 2).place(2, 2).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    QPainter painter(&image);
    p->render(painter, QRectF(0, 0, 100, 100));
    painter.end();
    QCOMPARE(image.pixelColor(100, 50), QColor(Qt::red));
    QCOMPARE(image.pixelColor(101, 50), QColor(Qt::white));
}

void TestRender::stackedStagesAreBounded_data()
{
    QTest::addColumn<int>("layers");
    QTest::addColumn<QColor>("shown");

    // Real scenes stack a few stage-sized shapes, and are drawn whole.
    QTest::newRow("a scene") << 40 << QColor(Qt::blue);
    // A hostile file stacks thousands: what lies past many times the
    // picture's area is left out, the lower ones drawn.
    QTest::newRow("thousands") << 3000 << QColor(Qt::red);
}

void TestRender::stackedStagesAreBounded()
{
    QFETCH(int, layers);
    QFETCH(QColor, shown);

    MovieBuilder b;
    b.rectShape(1, 0, 0, 2000, 2000, 255, 0, 0);
    b.rectShape(2, 0, 0, 2000, 2000, 0, 0, 255);
    for (int depth = 1; depth <= layers; ++depth)
        b.place(depth, 1);
    b.place(layers + 1, 2).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QCOMPARE(p->renderImage().pixelColor(50, 50), shown);
    QImage kept(100, 100, QImage::Format_ARGB32_Premultiplied);
    p->renderChanges(kept);
    QCOMPARE(kept.pixelColor(50, 50), shown);
}

void TestRender::scalesPastSenseDrawNothing()
{
    // Zooms real files use: a stage shown full HD, a detail grown 500 times.
    QVERIFY(swf::Renderer::drawable(QTransform(0.135, 0, 0, 0.135, 420, 0)));
    QVERIFY(swf::Renderer::drawable(QTransform(25, 3, -3, 25, -40000, -12000)));
    // Sprites multiplying their scales, or their offsets, past all sense.
    QVERIFY(!swf::Renderer::drawable(QTransform(2.75e19, -1.1e16, 0, 6.9e15, -5.4e16, 2.2e13)));
    QVERIFY(!swf::Renderer::drawable(QTransform(0.05, 2e4, 0, 0.05, 0, 0)));
    QVERIFY(!swf::Renderer::drawable(QTransform(0.05, 0, 0, 0.05, 0, -3e9)));
    QVERIFY(!swf::Renderer::drawable(QTransform(qQNaN(), 0, 0, 0.05, 0, 0)));
    // A zoomed shape in a zoomed sprite is still drawn.
    MovieBuilder inside;
    inside.placeScaled(1, 1, 6).showFrame();
    MovieBuilder b;
    b.rectShape(1, 0, 0, 40, 40, 255, 0, 0);
    b.sprite(2, inside);
    b.placeScaled(1, 2, 10).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QCOMPARE(p->renderImage().pixelColor(50, 50), QColor(Qt::red));
}

void TestRender::picturesPastTheLimit_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("fits");
    QTest::newRow("a stage") << QSize(550, 400) << true;
    QTest::newRow("widest") << QSize(16384, 1) << true;
    QTest::newRow("a pixel too wide") << QSize(16385, 1) << false;
    QTest::newRow("a pixel too high") << QSize(1, 16385) << false;
    QTest::newRow("256 MiB") << QSize(16384, 4096) << true;
    QTest::newRow("a row past 256 MiB") << QSize(16384, 4097) << false;
    QTest::newRow("8192 square") << QSize(8192, 8192) << true;
    QTest::newRow("empty") << QSize(0, 10) << false;
}

void TestRender::picturesPastTheLimit()
{
    QFETCH(QSize, size);
    QFETCH(bool, fits);
    QCOMPARE(swf::pictureFits(size), fits);
    // An empty size asks for the stage's own; large ones are not worth making here.
    if (size.isEmpty() || (fits && qint64(size.width()) * size.height() > 1 << 20))
        return;
    MovieBuilder b;
    b.showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    // Refused before it is made: the sanitizer build reports a failed allocation.
    const QImage image = p->renderImage(size);
    QCOMPARE(image.isNull(), !fits);
    if (fits)
        QCOMPARE(image.size(), size);
}

void TestRender::hugeStageIsRefused()
{
    // A header claiming 13 million by 5 million pixels: 273 TB at its own size.
    QString error;
    auto p = swf::Player::fromBytes(MovieBuilder().showFrame().end().build('F', 260000000, 100000000), &error);
    QVERIFY2(p, qPrintable(error));
    QVERIFY(p->renderImage().isNull());
    QCOMPARE(p->renderImage(QSize(130, 50)).size(), QSize(130, 50));
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
