// The scene model that both the pictures and the movies are made from:
// shapes rounded to twips the same way everywhere, and a timeline that
// stands exactly on each scene during its pause.
#include "StoryTimeline.h"
#include "VectorShape.h"

#include <QtTest>

namespace {

Story twoParts()
{
    Story story("prova");
    StoryPart &ball = story.add("palla", {VectorShape::circle({0, 0}, 20).fill(Qt::red)});
    for (int k = 0; k < kScenes; ++k) {
        ball[k].pos = QPointF(40 + 60 * k, 200);
        ball[k].scale = 1.0 + 0.25 * k;
    }
    StoryPart &star = story.add("stella", {VectorShape::polygon({{0, -10}, {10, 10}, {-10, 10}}).fill(Qt::yellow)});
    star.at({100, 100}).onlyIn({2, 3});
    star[3].tint = QColor(255, 128, 0);
    return story;
}

} // namespace

Q_DECLARE_METATYPE(VectorShape)

class TestSceneModel : public QObject
{
    Q_OBJECT

private slots:
    void contours_data();
    void contours();
    void morphsOnlyBetweenLikeShapes();
    void pausesStandOnTheScenes_data();
    void pausesStandOnTheScenes();
    void partsAppearByFadingInPlace();
    void loopFadesThroughWhite();
    void skiesDissolveIntoEachOther();
};

void TestSceneModel::contours_data()
{
    QTest::addColumn<VectorShape>("shape");
    QTest::addColumn<int>("edges");
    QTest::addColumn<QRect>("bounds");
    // Bounds in twips, outline included (3 px = 60 twips, 30 either side).
    QTest::newRow("circle") << VectorShape::circle({10, 10}, 5) << 8 << QRect(QPoint(70, 70), QPoint(330, 330));
    QTest::newRow("rounded rect") << VectorShape::roundRect(QRectF(0, 0, 40, 20), 5) << 8 << QRect(QPoint(-30, -30), QPoint(830, 430));
    QTest::newRow("square corners") << VectorShape::roundRect(QRectF(0, 0, 40, 20), 0).noOutline() << 8 << QRect(QPoint(0, 0), QPoint(800, 400));
    QTest::newRow("triangle") << VectorShape::polygon({{0, 0}, {10, 0}, {0, 10}}).noOutline() << 3 << QRect(QPoint(0, 0), QPoint(200, 200));
    QTest::newRow("closed by hand") << VectorShape::path({0, 0}).lineTo({10, 0}).lineTo({0, 10}).lineTo({0, 0}).close().noOutline()
                                    << 3 << QRect(QPoint(0, 0), QPoint(200, 200));
    QTest::newRow("rounded to twips") << VectorShape::polygon({{0.01, 0.02}, {10.024, 0}, {0, 10.026}}).noOutline() << 3
                                      << QRect(QPoint(0, 0), QPoint(200, 201));
}

void TestSceneModel::contours()
{
    QFETCH(VectorShape, shape);
    QFETCH(int, edges);
    QFETCH(QRect, bounds);
    QCOMPARE(int(shape.segments().size()), edges);
    QVERIFY(shape.isClosed());
    // The last edge comes back exactly to the start: no sliver of a gap.
    QCOMPARE(shape.segments().back().to, shape.start());
    QCOMPARE(shape.twipsBounds(), bounds);
}

void TestSceneModel::morphsOnlyBetweenLikeShapes()
{
    const VectorShape small = VectorShape::roundRect(QRectF(0, 0, 10, 10), 2).fill(Qt::red);
    QVERIFY(small.morphsInto(VectorShape::roundRect(QRectF(-5, 0, 80, 30), 9).fill(Qt::blue)));
    QVERIFY(!small.morphsInto(VectorShape::circle({0, 0}, 5).fill(Qt::red)));       // lines against curves
    QVERIFY(!small.morphsInto(VectorShape::roundRect(QRectF(0, 0, 10, 10), 2).linear(Qt::red, Qt::blue, {0, 0}, {1, 0})));
    QVERIFY(!small.morphsInto(VectorShape::roundRect(QRectF(0, 0, 10, 10), 2).fill(Qt::red).noOutline()));
    QVERIFY_EXCEPTION_THROWN(StoryPart::morphing("x", {small, small, small, small, VectorShape::circle({0, 0}, 3)}),
                             std::invalid_argument);

    const VectorShape half = VectorShape::blended(small, VectorShape::roundRect(QRectF(10, 10, 10, 10), 2).fill(Qt::blue), 0.5);
    QCOMPARE(half.start(), small.start() + QPointF(5, 5));
    QCOMPARE(half.paint().color, QColor(128, 0, 128));
}

void TestSceneModel::pausesStandOnTheScenes_data()
{
    QTest::addColumn<int>("scene");
    for (int k = 0; k < kScenes; ++k)
        QTest::newRow(qPrintable(QStringLiteral("scene %1").arg(k + 1))) << k;
}

void TestSceneModel::pausesStandOnTheScenes()
{
    QFETCH(int, scene);
    const Story story = twoParts();
    const StoryTimeline timeline(story);
    const int period = StoryTimeline::kHoldFrames + StoryTimeline::kTransitionFrames;
    // Every frame of the pause is the scene itself, not a step towards the next.
    for (int f = scene * period; f < scene * period + StoryTimeline::kHoldFrames; ++f) {
        const std::vector<PartFrame> frame = timeline.frame(f);
        QCOMPARE(int(frame.size()), 2);
        const PartFrame &ball = frame[0];
        QVERIFY(ball.visible);
        QCOMPARE(ball.matrix.translateX, VectorShape::twips(40 + 60 * scene));
        QCOMPARE(ball.matrix.translateY, 4000);
        QCOMPARE(ball.matrix.scaleX, int(std::lround((1.0 + 0.25 * scene) * 65536)));
        QVERIFY(ball.color.isIdentity());
        QCOMPARE(frame[1].visible, scene == 2 || scene == 3);
        if (scene == 3)
            QCOMPARE(frame[1].color.mult[1], 129);   // 128/255 of 256, rounded
    }
    QCOMPARE(StoryTimeline::holdFrame(scene) / period, scene);
}

void TestSceneModel::partsAppearByFadingInPlace()
{
    const Story story = twoParts();
    const StoryTimeline timeline(story);
    const int start = 1 * (StoryTimeline::kHoldFrames + StoryTimeline::kTransitionFrames) + StoryTimeline::kHoldFrames;
    int lastAlpha = 0, lastX = timeline.frame(start - 1)[0].matrix.translateX;
    for (int f = start; f < start + StoryTimeline::kTransitionFrames; ++f) {
        const std::vector<PartFrame> frame = timeline.frame(f);
        // The star stays where it will stand and only grows opaque.
        if (frame[1].visible) {
            QCOMPARE(frame[1].matrix.translateX, 2000);
            QVERIFY(frame[1].color.mult[3] > lastAlpha);
            lastAlpha = frame[1].color.mult[3];
        }
        // The ball moves on, never back.
        QVERIFY(frame[0].matrix.translateX > lastX);
        lastX = frame[0].matrix.translateX;
    }
    QCOMPARE(lastAlpha, 256);
    QCOMPARE(lastX, VectorShape::twips(40 + 60 * 2));
}

void TestSceneModel::loopFadesThroughWhite()
{
    const Story story = twoParts();
    const StoryTimeline timeline(story);
    const int last = StoryTimeline::kFrames - StoryTimeline::kTransitionFrames;
    const int faded = last + StoryTimeline::kTransitionFrames / 2 - 1;
    // A white veil thickens over the last scene until it hides it, then
    // thins over the first; the parts themselves stay whole.
    int lastVeil = 0;
    for (int f = last - 1; f <= faded; ++f) {
        const SwfColorTransform veil = StoryTimeline::veil(f);
        QCOMPARE(veil.mult[0], 256);
        QCOMPARE(timeline.frame(f)[0].color.mult[3], 256);
        QVERIFY(f == last - 1 ? veil.mult[3] == 0 : veil.mult[3] > lastVeil);
        lastVeil = veil.mult[3];
    }
    QCOMPARE(lastVeil, 256);
    for (int f = faded + 1; f < StoryTimeline::kFrames; ++f) {
        QVERIFY(StoryTimeline::veil(f).mult[3] < lastVeil);
        lastVeil = StoryTimeline::veil(f).mult[3];
    }
    QCOMPARE(StoryTimeline::veil(StoryTimeline::kFrames).mult[3], 0);
    for (int k = 0; k < kScenes; ++k)
        QCOMPARE(StoryTimeline::veil(StoryTimeline::holdFrame(k)).mult[3], 0);
    // The ball never slides back across the stage: it stays at the last
    // place under the veil and stands at the first when the veil clears.
    QCOMPARE(timeline.frame(last + 1)[0].matrix.translateX, VectorShape::twips(40 + 60 * 4));
    QCOMPARE(timeline.frame(faded)[0].matrix.translateX, VectorShape::twips(40 + 60 * 4));
    QCOMPARE(timeline.frame(StoryTimeline::kFrames - 1)[0].matrix.translateX, VectorShape::twips(40));
    QCOMPARE(timeline.frame(StoryTimeline::kFrames)[0].matrix, timeline.frame(0)[0].matrix);
}

void TestSceneModel::skiesDissolveIntoEachOther()
{
    // Day gives way to dusk above it, then dusk to night above that; a
    // cloud above them all is no sky and fades as parts do.
    Story story("cielo");
    const VectorShape sky = VectorShape::polygon({{-10, -10}, {410, -10}, {410, 410}, {-10, 410}});
    story.add("giorno", {sky}).onlyIn({0, 1}).backdrop();
    story.add("tramonto", {sky}).onlyIn({2}).backdrop();
    story.add("notte", {sky}).onlyIn({3, 4}).backdrop();
    story.add("nuvola", {sky}).onlyIn({0, 1});
    const StoryTimeline timeline(story);
    const int period = StoryTimeline::kHoldFrames + StoryTimeline::kTransitionFrames;
    for (int scene : {1, 2}) {
        const size_t lower = size_t(scene - 1), upper = size_t(scene);
        int lastAlpha = 0;
        for (int f = scene * period + StoryTimeline::kHoldFrames; f < (scene + 1) * period; ++f) {
            const std::vector<PartFrame> frame = timeline.frame(f);
            // The sky going (or coming) below stays whole under the one
            // coming above it, which only grows opaque.
            QVERIFY(frame[lower].visible);
            QCOMPARE(frame[lower].color.mult[3], 256);
            QVERIFY(frame[upper].color.mult[3] > lastAlpha);
            lastAlpha = frame[upper].color.mult[3];
        }
        QCOMPARE(lastAlpha, 256);
    }
    // Day's sky and the cloud both go between scenes 1 and 2, and the cloud
    // thins as it goes.
    const std::vector<PartFrame> middle = timeline.frame(period + StoryTimeline::kHoldFrames + 5);
    QVERIFY(middle[3].color.mult[3] < 256);
    // Night needs no dissolve into the first scene's day: the loop goes
    // through white.
    QVERIFY(StoryTimeline::veil(4 * period + StoryTimeline::kHoldFrames + 5).mult[3] > 230);
}

QTEST_MAIN(TestSceneModel)
#include "tst_scenemodel.moc"
