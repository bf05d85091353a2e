// Timeline semantics on hand-built movies: looping, actions, labels,
// sprites' own timelines, move/replace/remove, targets.
#include "display/Clip.h"
#include "MovieBuilder.h"
#include "Player.h"

#include <QtTest>

namespace {

// depth -> character id of a display list.
QMap<int, int> ids(const swf::Clip &clip)
{
    QMap<int, int> out;
    for (const auto &[depth, object] : clip.objects())
        out.insert(depth, object.characterId);
    return out;
}

std::unique_ptr<swf::Player> play(const MovieBuilder &b)
{
    QString error;
    auto player = swf::Player::fromBytes(b.build(), &error);
    if (!player)
        qWarning("decode failed: %s", qPrintable(error));
    return player;
}

const swf::Clip *childAt(const swf::Clip &clip, int depth)
{
    auto it = clip.objects().find(depth);
    return it == clip.objects().end() ? nullptr : it->second.clip.get();
}

} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT
private slots:
    void loopsAndRebuilds();
    void actions_data();
    void actions();
    void spriteRunsItsOwnTimeline();
    void moveKeepsAndReplaceSwapsShapesOnly();
    void placementOnTakenDepthIgnored();
    void setTargetStopsNamedSprite();
    void backwardJumpKeepsStayingSprite();
    void actionsOfARemovedClipFinishSafely();
    void loopRestartsSpritePlacedLater();
};

void TestTimeline::loopsAndRebuilds()
{
    MovieBuilder b;
    b.emptyShape(1).emptyShape(2);
    b.place(1, 1).showFrame();
    b.place(2, 2).showFrame();
    b.remove(1).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    QCOMPARE(p->currentFrame(), 1);
    QCOMPARE(ids(p->rootClip()), (QMap<int, int>{{1, 1}}));
    p->advance();
    QCOMPARE(ids(p->rootClip()), (QMap<int, int>{{1, 1}, {2, 2}}));
    p->advance();
    QCOMPARE(p->currentFrame(), 3);
    QCOMPARE(ids(p->rootClip()), (QMap<int, int>{{2, 2}}));
    p->advance();  // back to frame 1: depth 2 was placed later, so it goes
    QCOMPARE(p->currentFrame(), 1);
    QCOMPARE(ids(p->rootClip()), (QMap<int, int>{{1, 1}}));
}

void TestTimeline::actions_data()
{
    QTest::addColumn<QByteArray>("frame2");   // actions of frame 2 (of 5)
    QTest::addColumn<QList<int>>("frames");   // current frame after each advance

    QTest::newRow("none") << QByteArray() << QList<int>{2, 3, 4, 5, 1, 2};
    QTest::newRow("stop") << MovieBuilder::stop() << QList<int>{2, 2, 2};
    QTest::newRow("goto and keep playing") << MovieBuilder::gotoFrame(3) << QList<int>{4, 5, 1, 4};
    QTest::newRow("gotoAndStop") << MovieBuilder::gotoFrame(3) + MovieBuilder::stop()
                                 << QList<int>{4, 4, 4};
    QTest::newRow("goto past the end clamps") << MovieBuilder::gotoFrame(40) + MovieBuilder::stop()
                                              << QList<int>{5, 5};
    QTest::newRow("goto label") << MovieBuilder::gotoLabel(QStringLiteral("Fine")) + MovieBuilder::stop()
                                << QList<int>{5, 5};
    QTest::newRow("goto missing label") << MovieBuilder::gotoLabel(QStringLiteral("nowhere"))
                                        << QList<int>{2, 3, 4};
    QTest::newRow("gotoFrame2 play") << MovieBuilder::gotoFrame2(4, true) << QList<int>{4, 5, 1};
    QTest::newRow("gotoFrame2 stop") << MovieBuilder::gotoFrame2(4, false) << QList<int>{4, 4};
    QTest::newRow("next frame stops") << MovieBuilder::nextFrame() << QList<int>{3, 3};
    QTest::newRow("goto to itself does nothing") << MovieBuilder::gotoFrame(1) << QList<int>{2, 3};
    QTest::newRow("stop then play") << MovieBuilder::stop() + MovieBuilder::play()
                                    << QList<int>{2, 3, 4};
}

void TestTimeline::actions()
{
    QFETCH(QByteArray, frame2);
    QFETCH(QList<int>, frames);
    MovieBuilder b;
    b.showFrame();
    if (!frame2.isEmpty())
        b.actions(frame2);
    b.showFrame().showFrame().showFrame();
    b.label(QStringLiteral("fine")).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    for (int expected : frames) {
        p->advance();
        QCOMPARE(p->currentFrame(), expected);
    }
}

void TestTimeline::spriteRunsItsOwnTimeline()
{
    MovieBuilder inner;
    inner.showFrame().showFrame().showFrame().end();
    MovieBuilder b;
    b.sprite(5, inner);
    b.showFrame();          // frame 1: empty
    b.place(1, 5).showFrame();  // frame 2: the sprite appears
    b.actions(MovieBuilder::stop()).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    p->advance();
    const swf::Clip *sprite = childAt(p->rootClip(), 1);
    QVERIFY(sprite);
    QCOMPARE(sprite->frame(), 0);   // placed this tick: shows its first frame
    p->advance();
    QCOMPARE(p->currentFrame(), 3);
    QCOMPARE(childAt(p->rootClip(), 1), sprite); // the same instance goes on
    QCOMPARE(sprite->frame(), 1);
    p->advance();
    QCOMPARE(sprite->frame(), 2);
    p->advance();
    QCOMPARE(sprite->frame(), 0);   // sprites loop although the main timeline stopped
    QCOMPARE(p->currentFrame(), 3);
}

void TestTimeline::moveKeepsAndReplaceSwapsShapesOnly()
{
    MovieBuilder inner;
    inner.showFrame().end();
    MovieBuilder b;
    b.emptyShape(1).emptyShape(2).sprite(3, inner);
    b.place(1, 1, 100).place(2, 3, 300).showFrame();
    b.move(1, {}, 200).showFrame();          // move only
    b.move(1, 2, {}).move(2, 1, {}).showFrame(); // shape->shape swaps; sprite keeps
    b.actions(MovieBuilder::stop()).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    const auto &objects = p->rootClip().objects();
    p->advance();
    QCOMPARE(objects.at(1).characterId, 1);
    QCOMPARE(objects.at(1).matrix.dx(), 200.0);
    p->advance();
    QCOMPARE(objects.at(1).characterId, 2);
    QCOMPARE(objects.at(1).matrix.dx(), 200.0); // replacing keeps the old placement
    QCOMPARE(objects.at(2).characterId, 3);
    QVERIFY(objects.at(2).clip);
}

void TestTimeline::placementOnTakenDepthIgnored()
{
    MovieBuilder b;
    b.emptyShape(1).emptyShape(2);
    b.place(1, 1, 100).showFrame();
    b.place(1, 2, 500).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    p->advance();
    QCOMPARE(p->rootClip().objects().at(1).characterId, 1);
    QCOMPARE(p->rootClip().objects().at(1).matrix.dx(), 100.0);
}

void TestTimeline::setTargetStopsNamedSprite()
{
    MovieBuilder inner(6);
    inner.showFrame().showFrame().showFrame().end();
    // Version 6: names match whatever their case (7 and later tell it).
    MovieBuilder b(6);
    b.sprite(7, inner);
    b.place(1, 7, {}, QStringLiteral("Anim")).place(2, 7, {}, QStringLiteral("other"));
    b.actions(MovieBuilder::setTarget(QStringLiteral("anim")) + MovieBuilder::stop()
              + MovieBuilder::setTarget(QString()) + MovieBuilder::stop());
    b.showFrame().showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    p->advance();
    p->advance();
    QCOMPARE(p->currentFrame(), 1);                 // "" came back to the main timeline
    QCOMPARE(childAt(p->rootClip(), 1)->frame(), 0); // stopped by name
    QCOMPARE(childAt(p->rootClip(), 2)->frame(), 2); // the other one runs
}

void TestTimeline::backwardJumpKeepsStayingSprite()
{
    MovieBuilder inner;
    inner.showFrame().showFrame().showFrame().showFrame().end();
    MovieBuilder b;
    b.sprite(4, inner);
    b.place(1, 4).showFrame();
    b.showFrame();
    b.showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    const swf::Clip *sprite = childAt(p->rootClip(), 1);
    p->advance();
    p->advance();
    QCOMPARE(sprite->frame(), 2);
    p->advance(); // the main timeline loops; the sprite placed on frame 1 stays
    QCOMPARE(p->currentFrame(), 1);
    QCOMPARE(childAt(p->rootClip(), 1), sprite);
    QCOMPARE(sprite->frame(), 3);
}

void TestTimeline::actionsOfARemovedClipFinishSafely()
{
    // A clip inside a clip sends the main timeline to a frame without its
    // parent, then names its parent: the parent is gone by then.
    MovieBuilder innermost;
    innermost.actions(MovieBuilder::setTarget(QStringLiteral("/")) + MovieBuilder::gotoFrame(1)
                      + MovieBuilder::setTarget(QStringLiteral("..")) + MovieBuilder::stop()
                      + MovieBuilder::setTarget(QStringLiteral("../../p")) + MovieBuilder::stop());
    innermost.showFrame().showFrame().end();
    MovieBuilder middle;
    middle.place(1, 8, {}, QStringLiteral("o")).showFrame().showFrame().end();
    MovieBuilder b;
    b.sprite(8, innermost).sprite(9, middle);
    b.place(1, 9, {}, QStringLiteral("p")).showFrame();
    b.remove(1).showFrame();
    b.actions(MovieBuilder::stop()).showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    QCOMPARE(p->currentFrame(), 2);
    QVERIFY(p->rootClip().objects().empty());
    p->advance();
    QCOMPARE(p->currentFrame(), 3);
}

void TestTimeline::loopRestartsSpritePlacedLater()
{
    // The same sprite at the same depth, placed on frame 1 and again on
    // frame 3: back on frame 1 the copy from frame 3 does not carry on.
    MovieBuilder inner;
    inner.showFrame().showFrame().showFrame().showFrame().showFrame().end();
    MovieBuilder b;
    b.sprite(4, inner);
    b.place(1, 4).showFrame();
    b.remove(1).showFrame();
    b.place(1, 4).showFrame();
    b.showFrame().end();
    auto p = play(b);
    QVERIFY(p);
    p->advance();
    p->advance();
    const swf::Clip *later = childAt(p->rootClip(), 1);
    QVERIFY(later);
    p->advance();
    QCOMPARE(later->frame(), 1);
    p->advance(); // loop
    QCOMPARE(p->currentFrame(), 1);
    const swf::Clip *again = childAt(p->rootClip(), 1);
    QVERIFY(again);
    QCOMPARE(again->frame(), 0);
}

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
