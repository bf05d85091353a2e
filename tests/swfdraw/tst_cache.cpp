// Shapes drawn from the raster cache look like shapes drawn directly.
#include "render/RasterCache.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>
#include <vector>

Q_DECLARE_METATYPE(swf::ColorTransform)

using testsupport::decode;
using testsupport::render;

namespace {

// A DefineShape4 body: a gradient-filled disc-like curve, a solid square
// and a thick stroke with miter joins over both.
QByteArray shapeBody()
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(2);
    w.u8(0x10).matrix(0.1, 0.1, 2000, 2000).u8(2)   // linear gradient
        .u8(0).rgba(QColor(255, 0, 0)).u8(255).rgba(QColor(0, 0, 255, 200));
    w.u8(0x00).rgba(QColor(40, 160, 40));
    w.u8(1);
    w.u16(120).u8(0x20).u8(0x00).u16(3 << 8).rgba(QColor(20, 20, 20));   // round caps, miter joins
    w.ub(4, 4).ub(4, 4);
    w.styleChange(0, 1, 1, true, 400, 400);
    w.curveTo(1200, -200, 1200, 200);
    w.lineTo(0, 1600);
    w.lineTo(-2400, 0);
    w.lineTo(0, -1600);
    w.styleChange(0, 2, 0, true, 2000, 2000);
    w.lineTo(1500, 0);
    w.lineTo(0, 1500);
    w.lineTo(-1500, 0);
    w.lineTo(0, -1500);
    w.endShape();
    return w.data();
}

// Two bands side by side, with no stroke: a linear gradient blended in
// sRGB or in linear light, and a solid orange.
QByteArray bandsBody(bool linearLight)
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(2);
    w.u8(0x10).matrix(0.15, 0.15, 2000, 2000).u8(linearLight ? 0x12 : 0x02)
        .u8(0).rgba(QColor(255, 0, 0)).u8(255).rgba(QColor(0, 0, 255));
    w.u8(0x00).rgba(QColor(200, 120, 40));
    w.u8(0);
    w.ub(4, 2).ub(4, 0);
    w.styleChange(0, 1, -1, true, 0, 0, 2, 0);
    w.lineTo(4000, 0);
    w.lineTo(0, 2000);
    w.lineTo(-4000, 0);
    w.lineTo(0, -2000);
    w.styleChange(0, 2, -1, true, 0, 2000, 2, 0);
    w.lineTo(4000, 0);
    w.lineTo(0, 2000);
    w.lineTo(-4000, 0);
    w.lineTo(0, -2000);
    w.endShape();
    return w.data();
}

// One solid fill, a disc-like curve with no stroke: a shape of one layer.
QByteArray oneFillBody()
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(1);
    w.u8(0x00).rgba(QColor(30, 90, 200));
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(0, 1, -1, true, 400, 2000, 1, 0);
    w.curveTo(0, -1600, 1600, 0);
    w.curveTo(1600, 0, 0, 1600);
    w.curveTo(0, 1600, -1600, 0);
    w.curveTo(-1600, 0, 0, -1600);
    w.endShape();
    return w.data();
}

// A DefineShape4 body: one rectangle filled with a solid colour or a
// linear gradient running down (`gradient` 2) or across (1) it, with a
// stroke or without.
QByteArray rectangleBody(int gradient, bool stroked)
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(1);
    if (gradient == 0)
        w.u8(0x00).rgba(QColor(90, 170, 240));
    else if (gradient == 1)
        w.u8(0x10).matrix(0.1, 0.1, 2000, 2000);
    else
        w.u8(0x10).matrix(0, 0.1, -0.1, 0, 2000, 2000);
    if (gradient != 0)
        w.u8(2).u8(0).rgba(QColor(40, 90, 200)).u8(255).rgba(QColor(230, 240, 255));
    w.u8(stroked ? 1 : 0);
    if (stroked)
        w.u16(100).u8(0x00).u8(0x00).rgba(QColor(20, 20, 20));
    w.ub(4, 1).ub(4, stroked ? 1 : 0);
    w.styleChange(0, 1, stroked ? 1 : -1, true, 300, 200, 1, stroked ? 1 : 0);
    w.lineTo(3400, 0);
    w.lineTo(0, 3500);
    w.lineTo(-3400, 0);
    w.lineTo(0, -3500);
    w.endShape();
    return w.data();
}

swf::ColorTransform tintOf(int rMult, int gMult, int bMult, int rAdd, int gAdd, int bAdd, int aMult = 256)
{
    swf::ColorTransform cx;
    cx.rMult = rMult;
    cx.gMult = gMult;
    cx.bMult = bMult;
    cx.aMult = aMult;
    cx.rAdd = rAdd;
    cx.gAdd = gAdd;
    cx.bAdd = bAdd;
    return cx;
}

QImage renderDirectly(const swf::Character &character, QSize size, const QTransform &matrix,
                      const swf::ColorTransform &cx)
{
    swf::rastercache::setEnabled(false);
    const QImage image = render(character, size, matrix, cx);
    swf::rastercache::setEnabled(true);
    return image;
}

int largestDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

} // namespace

class TestCache : public QObject
{
    Q_OBJECT
private slots:
    void cachedDrawingMatchesDirectDrawing_data();
    void cachedDrawingMatchesDirectDrawing();
    void oneLayerFadeUsesThePictureOfTheWhole();
    void budgetBoundsTheMemory();
    void tweenStepsAreDrawnDirectly();
    void tintedPicturesMatchDirectDrawing_data();
    void tintedPicturesMatchDirectDrawing();
    void changingTintsAreAlwaysBlitted();
    void linearLightGradientsKeepTheirColours();
    void slidesAreCachedAtEachPhase();
    void shapesOutOfSightAreSkipped();
    void paintersThatCompositeDifferentlyAreNotServed();
    void skiesAreDrawnAgainNotKept_data();
    void skiesAreDrawnAgainNotKept();
    void highDensityImagesAreServed_data();
    void highDensityImagesAreServed();
};

void TestCache::cachedDrawingMatchesDirectDrawing_data()
{
    QTest::addColumn<QTransform>("matrix");
    QTest::addColumn<int>("aMult");
    QTest::addColumn<int>("rAdd");
    QTest::addColumn<int>("tolerance");
    // Whole-pixel translations land exactly; a fraction is rounded to a
    // quarter pixel, which moves anti-aliased edges a little.
    QTest::newRow("plain") << QTransform::fromScale(0.05, 0.05) << 256 << 0 << 0;
    QTest::newRow("half pixel") << QTransform(0.05, 0, 0, 0.05, 10.5, 3.25) << 256 << 0 << 0;
    QTest::newRow("sub-quarter pixel") << QTransform(0.05, 0, 0, 0.05, 10.3, 3.1) << 256 << 0 << 70;
    QTest::newRow("scaled, faded") << QTransform(0.08, 0, 0, 0.06, 4, 7) << 128 << 0 << 0;
    QTest::newRow("rotated, tinted") << QTransform(0.04, 0.03, -0.03, 0.04, 120, -10) << 256 << 90 << 0;
    QTest::newRow("mirrored, skewed, faded") << QTransform(-0.05, 0, 0.02, 0.05, 230, 20) << 200 << -40 << 0;
    QTest::newRow("nearly transparent") << QTransform(0.05, 0, 0, 0.05, 1.75, 0) << 3 << 0 << 0;
    QTest::newRow("hairline size") << QTransform::fromScale(0.004, 0.004) << 256 << 0 << 0;
}

void TestCache::cachedDrawingMatchesDirectDrawing()
{
    QFETCH(QTransform, matrix);
    QFETCH(int, aMult);
    QFETCH(int, rAdd);
    QFETCH(int, tolerance);
    const swf::CharacterPtr shape = decode(83, shapeBody());
    QVERIFY(shape);
    swf::ColorTransform cx;
    cx.aMult = aMult;
    cx.rAdd = rAdd;
    const QSize size(260, 260);

    swf::rastercache::setEnabled(false);
    const QImage direct = render(*shape, size, matrix, cx);
    QImage blank(size, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::white);
    QVERIFY(largestDifference(direct, blank) > 0);
    swf::rastercache::setEnabled(true);
    const auto before = swf::rastercache::stats();
    const QImage first = render(*shape, size, matrix, cx);
    const QImage second = render(*shape, size, matrix, cx);
    // A fade serves every step of it from the same pictures.
    cx.aMult = aMult < 256 ? aMult + 1 : aMult;
    const QImage third = render(*shape, size, matrix, cx);
    const auto after = swf::rastercache::stats();
    // A new shape is drawn into one picture of the whole, or one per fill
    // and stroke (three) when it fades; the later drawings are made of them.
    const int pieces = aMult < 256 ? 3 : 1;
    QCOMPARE(after.stored - before.stored, pieces);
    QCOMPARE(after.hits - before.hits, 2 * pieces);
    QVERIFY(after.bytes > before.bytes);

    // Drawing at a whole pixel or a quarter of one is the same drawing,
    // up to how the picture's own pixels and a fade's opacity round the
    // colours.
    const int slack = std::max(tolerance, 4);
    QVERIFY2(largestDifference(first, direct) <= slack, QByteArray::number(largestDifference(first, direct)));
    QCOMPARE(second, first);
    swf::rastercache::setEnabled(false);
    const QImage thirdDirect = render(*shape, size, matrix, cx);
    swf::rastercache::setEnabled(true);
    QVERIFY(largestDifference(third, thirdDirect) <= slack);
}

void TestCache::oneLayerFadeUsesThePictureOfTheWhole()
{
    // The picture of a shape of one fill is the picture of that fill: a
    // fade that starts after the shape was drawn needs no new one.
    const swf::CharacterPtr shape = decode(83, oneFillBody());
    QVERIFY(shape);
    const QTransform m(0.05, 0, 0, 0.05, 20.25, 10);
    const QSize size(260, 260);
    const QList<int> steps = {200, 120, 40};
    QList<QImage> direct;                 // drawn before: it empties the cache
    for (int aMult : steps)
        direct.append(renderDirectly(*shape, size, m, tintOf(256, 256, 256, 0, 0, 0, aMult)));
    const auto before = swf::rastercache::stats();
    render(*shape, size, m);
    render(*shape, size, m);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QImage faded = render(*shape, size, m, tintOf(256, 256, 256, 0, 0, 0, steps[i]));
        const int difference = largestDifference(faded, direct[i]);
        QVERIFY2(difference <= 4, QByteArray::number(difference));
    }
    const auto after = swf::rastercache::stats();
    QCOMPARE(after.stored - before.stored, 1);
    QCOMPARE(after.hits - before.hits, 4);
}

void TestCache::budgetBoundsTheMemory()
{
    const swf::CharacterPtr shape = decode(83, shapeBody());
    swf::rastercache::setEnabled(true);
    swf::rastercache::setBudget(600 * 1024);
    for (int i = 0; i < 12; ++i) {
        const QTransform m(0.05 + i * 0.001, 0, 0, 0.05, 0, 0);
        render(*shape, QSize(260, 260), m);
        render(*shape, QSize(260, 260), m);
    }
    const auto full = swf::rastercache::stats();
    QVERIFY(full.bytes > 0);
    QVERIFY(full.bytes <= 600 * 1024);
    swf::rastercache::setBudget(std::int64_t(64) << 20);

    // A character that goes away takes its pictures along.
    const swf::CharacterPtr other = decode(83, shapeBody());
    render(*other, QSize(260, 260));
    render(*other, QSize(260, 260));
    const auto withOther = swf::rastercache::stats().bytes;
    QVERIFY(withOther > full.bytes);
    const_cast<swf::CharacterPtr &>(other).reset();
    QCOMPARE(swf::rastercache::stats().bytes, full.bytes);
}

void TestCache::tweenStepsAreDrawnDirectly()
{
    const swf::CharacterPtr shape = decode(83, shapeBody());
    swf::rastercache::setEnabled(true);
    const auto before = swf::rastercache::stats();
    render(*shape, QSize(260, 260));
    render(*shape, QSize(260, 260));
    // The first step after holding still may be where the shape stays;
    // the ones after it are a tween, each seen once.
    for (int step = 1; step <= 6; ++step)
        render(*shape, QSize(260, 260), QTransform::fromScale(0.05 + step * 0.002, 0.05));
    const auto tween = swf::rastercache::stats();
    QCOMPARE(tween.stored - before.stored, 2);
    QCOMPARE(tween.hits - before.hits, 1);
    // Where the tween ends and the shape holds still, it is cached again.
    for (int frame = 0; frame < 3; ++frame)
        render(*shape, QSize(260, 260), QTransform::fromScale(0.07, 0.05));
    const auto held = swf::rastercache::stats();
    QCOMPARE(held.stored - tween.stored, 1);
    QCOMPARE(held.hits - tween.hits, 1);
}

void TestCache::tintedPicturesMatchDirectDrawing_data()
{
    QTest::addColumn<swf::ColorTransform>("from");
    QTest::addColumn<swf::ColorTransform>("step");
    QTest::newRow("darkening") << tintOf(256, 256, 256, 0, 0, 0) << tintOf(-12, -9, -5, 0, 0, 0);
    QTest::newRow("towards white") << tintOf(256, 256, 256, 0, 0, 0) << tintOf(-20, -20, -20, 18, 18, 18);
    QTest::newRow("out of black") << tintOf(0, 0, 0, 0, 40, 0) << tintOf(30, 30, 30, 30, -5, 10);
    QTest::newRow("darker by subtraction") << tintOf(256, 256, 256, -40, -10, 0) << tintOf(0, 0, 0, 5, -5, 0);
    QTest::newRow("tinted fade") << tintOf(256, 200, 150, 0, 0, 0, 200) << tintOf(-3, 5, 9, 4, 0, -6, -20);
    QTest::newRow("past the channel's range") << tintOf(300, 256, 0, 0, 0, 300) << tintOf(40, -30, 5, 0, 10, -20);
}

void TestCache::tintedPicturesMatchDirectDrawing()
{
    QFETCH(swf::ColorTransform, from);
    QFETCH(swf::ColorTransform, step);
    // Each colour transform is drawn twice: the second time, the colours
    // having held, the picture drawn without them is tinted and kept.
    const swf::CharacterPtr shape = decode(83, shapeBody());
    const QTransform m(0.05, 0, 0, 0.05, 8, 6);
    const QSize size(260, 260);
    swf::rastercache::setEnabled(true);
    swf::ColorTransform cx = from;
    const auto before = swf::rastercache::stats();
    for (int frame = 0; frame < 5; ++frame) {
        const QImage direct = renderDirectly(*shape, size, m, cx);
        for (int again = 0; again < 2; ++again) {
            const QImage cached = render(*shape, size, m, cx);
            // Opaque colours come out exactly; anti-aliased edges,
            // translucent colours and fades within rounding.
            const int difference = largestDifference(cached, direct);
            QVERIFY2(difference <= 4, qPrintable(QStringLiteral("frame %1: %2").arg(frame).arg(difference)));
            if (cx.aMult == 256)
                QCOMPARE(cached.pixel(130, 130), direct.pixel(130, 130));   // inside the square
        }
        cx = tintOf(cx.rMult + step.rMult, cx.gMult + step.gMult, cx.bMult + step.bMult,
                    cx.rAdd + step.rAdd, cx.gAdd + step.gAdd, cx.bAdd + step.bAdd, cx.aMult + step.aMult);
    }
    // Tints within the channels' range: the shape was drawn once, whole or
    // in fills and strokes, and every tint that held was kept beside that.
    // Others are drawn with their colours each.
    const int pieces = from.aMult < 256 ? 3 : 1;
    const bool inRange = from.rAdd >= 0 && from.bAdd <= 255 && from.rMult <= 256;
    const int tints = from.rMult == 256 && from.gMult == 256 && from.bMult == 256 ? 4 : 5;
    QCOMPARE(swf::rastercache::stats().stored - before.stored, inRange ? pieces + tints * pieces : 5 * pieces);
}

// A large, cheap shape whose tint changes every frame (a sky going from
// day to night): every frame is a blit of the one picture drawn without
// the tint, whatever the machine's timing, and the colours are right.
void TestCache::changingTintsAreAlwaysBlitted()
{
    const swf::CharacterPtr shape = decode(83, oneFillBody());
    const QTransform m(0.25, 0, 0, 0.25, 30, 20);
    const QSize size(1100, 1100);
    auto tint = [](int frame) { return tintOf(256 - 8 * frame, 256 - 12 * frame, 256 - 4 * frame, 0, 0, 0); };
    swf::rastercache::setEnabled(true);
    const auto before = swf::rastercache::stats();
    std::vector<QImage> cached;
    for (int frame = 0; frame < 12; ++frame) {
        const QImage image = render(*shape, size, m, tint(frame));
        const auto now = swf::rastercache::stats();
        QCOMPARE(now.stored - before.stored, 1);
        QCOMPARE(now.hits - before.hits, frame);
        if (frame % 4 == 0)
            cached.push_back(image);
    }
    // Drawing directly empties the cache: the references come last.
    for (int frame = 0; frame < 12; frame += 4) {
        const QImage direct = renderDirectly(*shape, size, m, tint(frame));
        const QImage &image = cached[size_t(frame / 4)];
        QCOMPARE(image.pixel(600, 600), direct.pixel(600, 600));
        QVERIFY(largestDifference(image, direct) <= 4);
    }
}

void TestCache::linearLightGradientsKeepTheirColours()
{
    // Blended in linear light, a gradient of transformed stops is not the
    // transformed gradient: the middle of red to blue taken halfway to
    // grey differs by far more than rounding.
    const QTransform m(0.05, 0, 0, 0.05, 10, 10);
    const QSize size(260, 260);
    const swf::ColorTransform darker = tintOf(128, 128, 128, 127, 127, 127);
    const swf::ColorTransform lighter = tintOf(160, 160, 160, 90, 90, 90);
    for (bool linearLight : {false, true}) {
        const swf::CharacterPtr shape = decode(83, bandsBody(linearLight));
        QVERIFY(shape);
        swf::rastercache::setEnabled(true);
        for (const swf::ColorTransform &cx : {darker, lighter}) {
            const QImage direct = renderDirectly(*shape, size, m, cx);
            render(*shape, size, m, cx);
            // Held, such colours would be tinted from the plain picture.
            const QImage cached = render(*shape, size, m, cx);
            QVERIFY2(largestDifference(cached, direct) <= 4,
                     qPrintable(QStringLiteral("linear light %1: %2").arg(linearLight).arg(largestDifference(cached, direct))));
        }
    }
}

void TestCache::slidesAreCachedAtEachPhase()
{
    // A shape sliding by a quarter pixel per frame gets one picture per
    // phase at once, and the second pass over the same phases draws
    // nothing: every frame is a blit.
    const swf::CharacterPtr shape = decode(83, shapeBody());
    swf::rastercache::setEnabled(true);
    const auto before = swf::rastercache::stats();
    for (int frame = 0; frame < 8; ++frame)
        render(*shape, QSize(260, 260), QTransform(0.05, 0, 0, 0.05, 3 + frame * 0.25, 2));
    const auto firstPass = swf::rastercache::stats();
    QCOMPARE(firstPass.stored - before.stored, 4);
    QCOMPARE(firstPass.hits - before.hits, 4);
    QImage cached[8];
    for (int frame = 0; frame < 8; ++frame)
        cached[frame] = render(*shape, QSize(260, 260), QTransform(0.05, 0, 0, 0.05, 20 + frame * 0.25, 2));
    const auto secondPass = swf::rastercache::stats();
    for (int frame = 0; frame < 8; ++frame) {
        const QTransform m(0.05, 0, 0, 0.05, 20 + frame * 0.25, 2);
        QVERIFY(largestDifference(cached[frame], renderDirectly(*shape, QSize(260, 260), m, {})) <= 4);
    }
    QCOMPARE(secondPass.stored, firstPass.stored);
    QCOMPARE(secondPass.hits - firstPass.hits, 8);
}

void TestCache::shapesOutOfSightAreSkipped()
{
    // Beside the image, or beside the painter's clip, a shape is neither
    // drawn nor kept; one pixel of it in sight draws it.
    const swf::CharacterPtr shape = decode(83, shapeBody());
    swf::rastercache::setEnabled(true);
    const QSize size(260, 260);
    QImage blank(size, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::white);
    const auto before = swf::rastercache::stats();
    QCOMPARE(render(*shape, size, QTransform(0.05, 0, 0, 0.05, 400, 0)), blank);
    QCOMPARE(render(*shape, size, QTransform(0.05, 0, 0, 0.05, -300, 20)), blank);
    QImage clipped = blank;
    {
        QPainter painter(&clipped);
        painter.setClipRect(QRect(200, 0, 60, 260));
        swf::RenderContext context;
        context.painter = &painter;
        context.matrix = QTransform(0.05, 0, 0, 0.05, 0, 0);
        shape->draw(context);
    }
    QCOMPARE(clipped, blank);
    QCOMPARE(swf::rastercache::stats().stored, before.stored);
    QVERIFY(render(*shape, size, QTransform(0.05, 0, 0, 0.05, 235, 0)) != blank);
}

void TestCache::paintersThatCompositeDifferentlyAreNotServed()
{
    // Half opacity on the painter fades each layer of the shape, so the
    // stroke shows the fill under it: a picture of the whole faded at
    // once would not.
    const swf::CharacterPtr shape = decode(83, shapeBody());
    const QTransform m(0.05, 0, 0, 0.05, 2, 2);
    auto faded = [&] {
        QImage image(QSize(260, 260), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setOpacity(0.5);
        swf::RenderContext context;
        context.painter = &painter;
        context.matrix = m;
        shape->draw(context);
        return image;
    };
    swf::rastercache::setEnabled(false);
    const QImage direct = faded();
    swf::rastercache::setEnabled(true);
    const auto before = swf::rastercache::stats();
    faded();
    QCOMPARE(faded(), direct);
    QCOMPARE(swf::rastercache::stats().hits, before.hits);
    QCOMPARE(swf::rastercache::stats().stored, before.stored);
}

void TestCache::skiesAreDrawnAgainNotKept_data()
{
    QTest::addColumn<int>("gradient");
    QTest::addColumn<bool>("stroked");
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("aMult");
    QTest::addColumn<bool>("kept");

    QTest::newRow("one colour") << 0 << false << 0.0 << 256 << false;
    QTest::newRow("one colour, faded") << 0 << false << 0.0 << 120 << false;
    QTest::newRow("gradient running down") << 2 << false << 0.0 << 256 << false;
    QTest::newRow("gradient running down, faded") << 2 << false << 0.0 << 90 << false;
    QTest::newRow("gradient running across") << 1 << false << 0.0 << 256 << true;
    QTest::newRow("one colour, turned") << 0 << false << 30.0 << 256 << true;
    QTest::newRow("one colour, stroked") << 0 << true << 0.0 << 256 << true;
}

void TestCache::skiesAreDrawnAgainNotKept()
{
    // A plain rectangle (a sky) costs no more to draw again than to blit:
    // it takes no picture, and looks as drawn directly. Anything more is
    // kept as before.
    QFETCH(int, gradient);
    QFETCH(bool, stroked);
    QFETCH(double, angle);
    QFETCH(int, aMult);
    QFETCH(bool, kept);
    const swf::CharacterPtr shape = decode(83, rectangleBody(gradient, stroked));
    QVERIFY(shape);
    const QTransform m = QTransform::fromScale(0.05, 0.05) * QTransform().translate(30.25, 20.5).rotate(angle);
    const swf::ColorTransform cx = tintOf(256, 256, 256, 0, 0, 0, aMult);
    const QSize size(260, 260);
    const QImage direct = renderDirectly(*shape, size, m, cx);
    const auto before = swf::rastercache::stats();
    const QImage first = render(*shape, size, m, cx);
    const QImage second = render(*shape, size, m, cx);
    const auto after = swf::rastercache::stats();
    QCOMPARE(after.stored > before.stored, kept);
    QCOMPARE(after.hits > before.hits, kept);
    if (!kept) {
        QCOMPARE(first, direct);
        QCOMPARE(second, direct);
    } else {
        QVERIFY(largestDifference(second, direct) <= 4);
    }
}

QTEST_MAIN(TestCache)
#include "tst_cache.moc"

void TestCache::highDensityImagesAreServed_data()
{
    QTest::addColumn<qreal>("density");
    QTest::addColumn<swf::ColorTransform>("cx");
    QTest::newRow("2") << qreal(2) << swf::ColorTransform();
    QTest::newRow("1.25") << qreal(1.25) << swf::ColorTransform();
    QTest::newRow("1.5") << qreal(1.5) << swf::ColorTransform();
    QTest::newRow("2, tinted") << qreal(2) << tintOf(200, 256, 180, 30, 0, 0);
    QTest::newRow("1.5, faded") << qreal(1.5) << tintOf(256, 256, 256, 0, 0, 0, 128);
}

void TestCache::highDensityImagesAreServed()
{
    // An image of a higher density gets the very pictures that its pixels
    // would get on an image of density 1: the same key, blitted one to one.
    QFETCH(qreal, density);
    QFETCH(swf::ColorTransform, cx);
    const swf::CharacterPtr shape = decode(83, shapeBody());
    QVERIFY(shape);
    const QTransform logical(0.025, 0.01, -0.01, 0.025, 13, 7);
    const QSize pixels(300, 300);
    const QTransform device = logical * QTransform::fromScale(density, density);
    // Twice: the second drawing is kept even if the first is taken for a
    // one-off (another shape may have had this one's address before).
    render(*shape, pixels, device, cx);
    const QImage flat = render(*shape, pixels, device, cx);

    const auto before = swf::rastercache::stats();
    QImage dense(pixels, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(density);
    dense.fill(Qt::white);
    {
        QPainter painter(&dense);
        swf::RenderContext context;
        context.painter = &painter;
        context.matrix = logical;
        context.cxform = cx;
        shape->draw(context);
    }
    const auto after = swf::rastercache::stats();
    // A fade blits one picture per fill and stroke.
    QCOMPARE(after.hits - before.hits, cx.aMult < 256 ? 3 : 1);
    QCOMPARE(after.stored, before.stored);
    dense.setDevicePixelRatio(1);
    QCOMPARE(dense, flat);
}
