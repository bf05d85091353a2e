// Frames whose display list did not change are not drawn again: the
// fingerprint of a display list must change whenever the picture does.
#include "FrameSignature.h"
#include "Player.h"
#include "RasterCache.h"

#include <QDir>
#include <QTest>

class TestCacheFrames : public QObject
{
    Q_OBJECT
private slots:
    void equalSignaturesDrawEqualFrames_data();
    void equalSignaturesDrawEqualFrames();
    void loopingStoryKeepsItsPictures();
};

void TestCacheFrames::equalSignaturesDrawEqualFrames_data()
{
    QTest::addColumn<QString>("path");
    const QString stories = QFINDTESTDATA("../../content/gif");
    const QStringList files = QDir(stories).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << QDir(stories).filePath(name);
    if (files.isEmpty())
        QTest::newRow("no stories") << QString();
}

void TestCacheFrames::equalSignaturesDrawEqualFrames()
{
    QFETCH(QString, path);
    QVERIFY2(!path.isEmpty(), "the story movies were not found");
    auto player = swf::Player::load(path);
    QVERIFY(player);
    // Drawn directly: a shape blitted from the cache may differ from its
    // first drawing at the edges, by a fraction of a pixel.
    swf::rastercache::setEnabled(false);
    // A whole loop and a little more, small: the stories are square.
    const int frames = player->info().frameCount + 5;
    QImage previous = player->renderImage(QSize(120, 90));
    std::uint64_t previousSignature = swf::frameSignature(player->rootClip());
    int held = 0, changed = 0;
    for (int frame = 1; frame < frames; ++frame) {
        player->advance();
        const QImage image = player->renderImage(QSize(120, 90));
        const std::uint64_t signature = swf::frameSignature(player->rootClip());
        if (signature == previousSignature) {
            QVERIFY2(image == previous, qPrintable(QStringLiteral("frame %1").arg(player->currentFrame())));
            ++held;
        } else {
            ++changed;
        }
        previous = image;
        previousSignature = signature;
    }
    // Stories hold still between their moves, and move.
    QVERIFY(held > 0);
    QVERIFY(changed > 0);
}

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
