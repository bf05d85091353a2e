// Buttons: their definitions decoded, the pointer tracked over them as the
// original players track it, their states drawn, their actions run.
#include "MovieBuilder.h"

#include "Movie.h"
#include "Player.h"
#include "character/ButtonCharacter.h"
#include "display/ButtonTracker.h"
#include "display/Clip.h"

#include <QFile>
#include <QTest>
#include <bit>

using swf::ButtonCharacter;
using Record = MovieBuilder::ButtonRecord;

namespace {

constexpr int Up = ButtonCharacter::Up, Over = ButtonCharacter::Over, Down = ButtonCharacter::Down,
              Hit = ButtonCharacter::HitTest;

// Red up, green over, blue down, each a 40 px square, hit by the same square.
MovieBuilder &threeColours(MovieBuilder &m)
{
    return m.rectShape(1, 0, 0, 800, 800, 255, 0, 0)
        .rectShape(2, 0, 0, 800, 800, 0, 255, 0)
        .rectShape(3, 0, 0, 800, 800, 0, 0, 255);
}

std::vector<Record> squareButton(int tx = 0)
{
    return {{Up, 1, 1, tx}, {Over, 2, 1, tx}, {Down, 3, 1, tx}, {Hit, 1, 2, tx}};
}

// Button A (id 10) on 0-40 px, button B (id 11) on 50-90 px, both 0-40 px high.
QByteArray twoButtons(bool menu)
{
    MovieBuilder m;
    threeColours(m).button2(10, squareButton(), {}, menu).button2(11, squareButton(1000), {}, menu);
    return m.place(1, 10).place(2, 11).showFrame().end().build();
}

QString transitionName(int transition)
{
    // By the bit of the transition, as ButtonCharacter numbers them.
    static const char *const names[] = {"rollOver", "rollOut", "press", "release", "dragOut",
                                        "dragOver", "releaseOutside", "menuDragOver", "menuDragOut"};
    return transition ? QString::fromLatin1(names[std::countr_zero(unsigned(transition))]) : QStringLiteral("key");
}

// A movie's display list with a tracker over it, recording the
// transitions it fires as "A:press" (A for button 10, B for 11).
struct Tracked
{
    explicit Tracked(const QByteArray &file)
        : movie(swf::Movie::decode(file)),
          tracker(*movie, [this](swf::ButtonInstance &b, swf::Clip &, int transition, int) {
              fired << QChar(u'A' + b.character().id() - 10) + (u':' + transitionName(transition));
          })
    {
        world.movie = movie.get();
        root = std::make_shared<swf::Clip>(world, &movie->timeline(), nullptr, 0);
        root->start();
    }
    // "m10,20" moves to that stage pixel, "p" presses, "r" releases, "l" leaves.
    void play(const QString &events)
    {
        for (const QString &e : events.split(u' ', Qt::SkipEmptyParts)) {
            if (e.startsWith(u'm')) {
                const QStringList xy = e.mid(1).split(u',');
                tracker.moveTo(*root, QPointF(xy.at(0).toDouble(), xy.at(1).toDouble()) * 20);
            } else if (e == u"p") {
                tracker.press(*root);
            } else if (e == u"r") {
                tracker.release(*root);
            } else if (e == u"l") {
                tracker.leave(*root);
            }
        }
    }
    swf::ButtonInstance &button(int depth) const { return *root->objects().at(depth).button; }

    std::shared_ptr<const swf::Movie> movie;
    swf::ClipWorld world;
    std::shared_ptr<swf::Clip> root;
    QStringList fired;
    swf::ButtonTracker tracker;
};

QRgb pixelAt(const swf::Player &player, int x, int y)
{
    return player.renderImage().pixel(x, y) & 0xffffff;
}

} // namespace

class TestButtons : public QObject
{
    Q_OBJECT
private slots:
    void decodesEveryStateAndCondition();
    void tracking_data();
    void tracking();
    void topmostVisibleEnabledButtonWins();
    void hitAreaFollowsTheMatrices_data();
    void hitAreaFollowsTheMatrices();
    void masksHideButtons();
    void statesAreDrawnAndKeepTheirChildren();
    void releaseRunsActionsOnTheParentTimeline();
    void keyPressesReachEnabledButtons();
};

void TestButtons::decodesEveryStateAndCondition()
{
    MovieBuilder m;
    threeColours(m)
        .button2(10, {{Up | Over, 1, 2}, {Down, 2, 1}, {Hit, 3, 1}},
                 {{ButtonCharacter::IdleToOverUp | ButtonCharacter::OverDownToIdle, 0, MovieBuilder::stop()},
                  {0, 13, MovieBuilder::play()}},
                 true)
        .button1(11, {{Up, 1, 1}}, MovieBuilder::nextFrame());
    const auto movie = swf::Movie::decode(m.end().build());
    auto two = std::dynamic_pointer_cast<const ButtonCharacter>(movie->character(10));
    QVERIFY(two && two->trackAsMenu());
    // Records come in the order of their depths.
    QCOMPARE(two->records().size(), std::size_t(3));
    QCOMPARE(two->records()[0].states, Down);
    QCOMPARE(two->state(Over).size(), std::size_t(1));
    QCOMPARE(two->actions().size(), std::size_t(2));
    QCOMPARE(two->actions()[0].transitions, ButtonCharacter::IdleToOverUp | ButtonCharacter::OverDownToIdle);
    QCOMPARE(two->actions()[0].code, MovieBuilder::stop() + QByteArray(1, 0));
    QCOMPARE(two->actions()[1].key, 13);
    auto one = std::dynamic_pointer_cast<const ButtonCharacter>(movie->character(11));
    QVERIFY(one && one->actions().size() == 1);
    QCOMPARE(one->actions()[0].transitions, int(ButtonCharacter::OverDownToOverUp));

    // A file from another maker: a menu button, its colours, a key.
    QFile file(QStringLiteral(SWF_CORPUS_DIR "/parser/DefineButton2-CS6.swf"));
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("corpus not found");
    auto b = std::dynamic_pointer_cast<const ButtonCharacter>(swf::Movie::decode(file.readAll())->character(4));
    QVERIFY(b && b->trackAsMenu());
    QCOMPARE(b->records().front().cxform.rAdd, 200);
    QCOMPARE(b->actions().back().key, 3);
}

void TestButtons::tracking_data()
{
    QTest::addColumn<bool>("menu");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("fired");
    QTest::newRow("roll over and out") << false << "m10,10 m20,20 m95,10" << "A:rollOver A:rollOut";
    QTest::newRow("click") << false << "m10,10 p r" << "A:rollOver A:press A:release";
    QTest::newRow("drag out and back") << false << "m10,10 p m45,10 m10,10 r"
                                       << "A:rollOver A:press A:dragOut A:dragOver A:release";
    QTest::newRow("release outside") << false << "m10,10 p m45,10 r"
                                     << "A:rollOver A:press A:dragOut A:releaseOutside";
    // The pressed button holds the pointer: B hears nothing until the release.
    QTest::newRow("release over another") << false << "m10,10 p m60,10 r"
                                          << "A:rollOver A:press A:dragOut A:releaseOutside B:rollOver";
    QTest::newRow("pressed elsewhere") << false << "m45,10 p m10,10 r" << "A:rollOver";
    QTest::newRow("from one to the next") << false << "m10,10 m60,10" << "A:rollOver A:rollOut B:rollOver";
    QTest::newRow("leaving the movie") << false << "m10,10 l" << "A:rollOver A:rollOut";
    QTest::newRow("leaving while pressed") << false << "m10,10 p l r"
                                           << "A:rollOver A:press A:dragOut A:releaseOutside";
    QTest::newRow("menu click") << true << "m10,10 p r" << "A:rollOver A:press A:release";
    QTest::newRow("menu drag across") << true << "m10,10 p m60,10 r"
                                      << "A:rollOver A:press A:menuDragOut B:menuDragOver B:release";
    QTest::newRow("menu pressed elsewhere") << true << "m45,10 p m60,10 m45,10 r"
                                            << "B:menuDragOver B:menuDragOut";
}

void TestButtons::tracking()
{
    QFETCH(bool, menu);
    QFETCH(QString, events);
    QFETCH(QString, fired);
    Tracked t(twoButtons(menu));
    t.play(events);
    QCOMPARE(t.fired.join(u' '), fired);
}

void TestButtons::topmostVisibleEnabledButtonWins()
{
    // A above B on the same square; the second frame hides A.
    MovieBuilder m;
    threeColours(m).button2(10, squareButton()).button2(11, squareButton());
    Tracked t(m.place(2, 10).place(1, 11).showFrame().setVisible(2, false).showFrame().end().build());
    t.root->setPlaying(false);
    t.play(QStringLiteral("m10,10"));
    QCOMPARE(t.fired.join(u' '), QStringLiteral("A:rollOver"));
    QCOMPARE(t.button(2).shownState(), Over);

    // Hidden, A lets the pointer through to B.
    t.root->gotoFrame(1);
    t.tracker.update(*t.root);
    QCOMPARE(t.fired.join(u' '), QStringLiteral("A:rollOver A:rollOut B:rollOver"));

    // Disabled while the pointer is on it, B keeps it silently until the
    // pointer leaves, and takes no new pointer while disabled.
    t.fired.clear();
    t.button(1).setEnabled(false);
    t.play(QStringLiteral("m20,20 p r m45,10 m10,10"));
    QVERIFY(t.fired.isEmpty());
    t.button(1).setEnabled(true);
    t.tracker.update(*t.root);
    QCOMPARE(t.fired.join(u' '), QStringLiteral("B:rollOver"));
}

void TestButtons::hitAreaFollowsTheMatrices_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("over");
    // The 40 px square scaled by 2 along its x and turned 90 degrees
    // clockwise about its corner at (60, 0): it covers x 20-60 and y 0-80.
    QTest::newRow("inside, near the corner") << QPointF(58, 2) << true;
    QTest::newRow("inside, far end") << QPointF(22, 78) << true;
    QTest::newRow("where the unturned square would be") << QPointF(70, 20) << false;
    QTest::newRow("past the scaled length") << QPointF(40, 85) << false;
    QTest::newRow("left of it") << QPointF(15, 50) << false;
}

void TestButtons::hitAreaFollowsTheMatrices()
{
    QFETCH(QPointF, point);
    QFETCH(bool, over);
    // The button inside a sprite placed at (60, 0) px, turned in the sprite.
    MovieBuilder inner;
    inner.placeMatrix(1, 10, 0, 2, -1, 0, 0, 0).showFrame();
    MovieBuilder m;
    threeColours(m).button2(10, squareButton()).sprite(20, inner);
    auto player = m.place(1, 20, 1200).showFrame().end().load();
    QVERIFY(player);
    player->mouseMove(point);
    QCOMPARE(player->overActiveButton(), over);
}

void TestButtons::masksHideButtons()
{
    // A mask over the left half of the button: only that half takes the pointer.
    MovieBuilder m;
    threeColours(m).rectShape(4, 0, 0, 400, 800, 0, 0, 0).button2(10, squareButton());
    auto player = m.place(1, 4, {}, {}, 2).place(2, 10).showFrame().end().load();
    QVERIFY(player);
    player->mouseMove(QPointF(10, 10));
    QVERIFY(player->overActiveButton());
    player->mouseMove(QPointF(30, 10));
    QVERIFY(!player->overActiveButton());
}

void TestButtons::statesAreDrawnAndKeepTheirChildren()
{
    // A sprite of two frames in the up and over states, at one depth: it
    // goes on playing across the change.
    MovieBuilder spin;
    spin.place(1, 1).showFrame().showFrame();
    // And one of the over state that stops at once.
    MovieBuilder halt;
    halt.actions(MovieBuilder::stop()).showFrame().showFrame();
    MovieBuilder m;
    threeColours(m).sprite(5, spin).sprite(6, halt).button2(
        10, {{Up | Over, 5, 3, 1000}, {Over, 2, 1}, {Over, 6, 4}, {Down, 3, 1}, {Hit, 1, 2}});
    auto player = m.place(1, 10).showFrame().end().load();
    QVERIFY(player);
    QCOMPARE(pixelAt(*player, 10, 10), 0xffffffu);           // nothing at depth 1 when up
    const swf::Clip &state = *player->rootClip().objects().at(1).clip;
    const swf::Clip *sprite = state.objects().at(3).clip.get();
    player->advance();
    QCOMPARE(sprite->frame(), 1);
    player->mouseMove(QPointF(10, 10));
    QCOMPARE(pixelAt(*player, 10, 10), 0x00ff00u);
    QCOMPARE(state.objects().at(3).clip.get(), sprite);
    QCOMPARE(sprite->frame(), 1);
    player->advance();
    QCOMPARE(state.objects().at(4).clip->frame(), 0);
    player->mousePress(QPointF(10, 10));
    QCOMPARE(pixelAt(*player, 10, 10), 0x0000ffu);
    QVERIFY(!state.objects().count(3));                       // not in the down state
    player->mouseMove(QPointF(45, 45));                       // dragged off: over again
    QCOMPARE(pixelAt(*player, 10, 10), 0x00ff00u);
    player->mouseRelease(QPointF(45, 45));
    QCOMPARE(pixelAt(*player, 10, 10), 0xffffffu);
    QCOMPARE(pixelAt(*player, 60, 10), 0xff0000u);
    QCOMPARE(state.objects().at(3).clip->frame(), 0);         // made again by the over state
}

void TestButtons::releaseRunsActionsOnTheParentTimeline()
{
    // The story stops at its second frame until the button is clicked; the
    // button lives in a sprite but acts on the sprite's parent through a
    // target path. DefineButton's actions run on the release.
    MovieBuilder inner;
    inner.place(1, 10).showFrame();
    MovieBuilder m;
    threeColours(m).button1(10, squareButton(), MovieBuilder::setTarget(QStringLiteral("..")) + MovieBuilder::play());
    auto player = m.sprite(20, inner)
                      .place(1, 20)
                      .showFrame()
                      .actions(MovieBuilder::stop())
                      .showFrame()
                      .showFrame()
                      .end()
                      .load();
    QVERIFY(player);
    player->advance();
    player->advance();
    QCOMPARE(player->currentFrame(), 2);
    player->mousePress(QPointF(10, 10));
    QCOMPARE(player->currentFrame(), 2);
    player->mouseRelease(QPointF(10, 10));
    player->advance();
    QCOMPARE(player->currentFrame(), 3);
}

void TestButtons::keyPressesReachEnabledButtons()
{
    MovieBuilder m;
    threeColours(m).button2(10, squareButton(), {{0, 'a', MovieBuilder::gotoFrame(2)}, {0, 1, MovieBuilder::gotoFrame(1)}});
    auto player = m.place(1, 10).actions(MovieBuilder::stop()).showFrame().showFrame().showFrame().end().load();
    QVERIFY(player);
    player->keyPress('b');
    QCOMPARE(player->currentFrame(), 1);
    player->keyPress('a');                                     // no pointer needed
    QCOMPARE(player->currentFrame(), 3);
    player->keyPress(1);                                       // left arrow
    QCOMPARE(player->currentFrame(), 2);
    player->rootClip().objects().at(1).button->setEnabled(false);
    player->keyPress('a');
    QCOMPARE(player->currentFrame(), 2);
}

QTEST_MAIN(TestButtons)
#include "tst_buttons.moc"
