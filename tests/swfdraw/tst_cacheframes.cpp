// The cache of drawn shapes across the frames of a story.
#include "Player.h"
#include "render/RasterCache.h"

#include <QTest>

class TestCacheFrames : public QObject
{
    Q_OBJECT
private slots:
    void loopingStoryKeepsItsPictures();
};

void TestCacheFrames::loopingStoryKeepsItsPictures()
{
    // Played full screen, loop after loop, a story finds every shape's
    // picture where it left it: after the second loop nothing is drawn
    // into the cache again. (The morphing apple's steps alone are tens of
    // megabytes.)
    auto player = swf::Player::load(QFINDTESTDATA("../../content/gif") + QStringLiteral("/mela.swf"));
    QVERIFY(player);
    swf::rastercache::setEnabled(false);             // empties it
    swf::rastercache::setEnabled(true);
    QImage screen(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const int frames = player->info().frameCount;
    for (int frame = 0; frame < 2 * frames; ++frame) {
        player->advance();
        player->renderChanges(screen);
    }
    const auto settled = swf::rastercache::stats();
    for (int frame = 0; frame < frames; ++frame) {
        player->advance();
        player->renderChanges(screen);
    }
    QCOMPARE(swf::rastercache::stats().stored, settled.stored);
}

QTEST_MAIN(TestCacheFrames)
#include "tst_cacheframes.moc"
