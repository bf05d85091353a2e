// Drawing only what changed (Player::renderChanges): the picture it keeps
// up to date must always be the picture a full drawing gives, on the
// stories, on the corpus movies (masks, filters, blend modes, morphs,
// sprites) and on hand-built frames; and it must draw less than the whole
// picture when little changes.
#include "MovieBuilder.h"
#include "Player.h"
#include "render/RasterCache.h"

#include <QDir>
#include <QDirIterator>
#include <QPainter>
#include <QtTest>

namespace {

// Pixels whose channels differ by more than `tolerance`. Edge pixels may
// differ by a step between a shape drawn directly and one pasted from the
// engine's cache of drawn shapes.
int differing(const QImage &a, const QImage &b, int tolerance, QPoint *first)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(pa[x]) - qRed(pb[x])) > tolerance
                || std::abs(qGreen(pa[x]) - qGreen(pb[x])) > tolerance
                || std::abs(qBlue(pa[x]) - qBlue(pb[x])) > tolerance
                || std::abs(qAlpha(pa[x]) - qAlpha(pb[x])) > tolerance) {
                if (count++ == 0 && first)
                    *first = QPoint(x, y);
            }
        }
    }
    return count;
}

// A red 10 px square at 5, 0, held for two frames.
std::unique_ptr<swf::Player> heldSquare()
{
    MovieBuilder b;
    b.rectShape(1, 0, 0, 200, 200, 255, 0, 0);
    b.place(1, 1, 100).showFrame().showFrame().end();
    return b.load();
}

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    return image;
}

qint64 areaOf(const QRegion &region)
{
    qint64 sum = 0;
    for (const QRect &r : region)
        sum += qint64(r.width()) * r.height();
    return sum;
}

} // namespace

class TestDamage : public QObject
{
    Q_OBJECT
private slots:
    void sameAsFullDrawing_data();
    void sameAsFullDrawing();
    void movingShapeRedrawsBothPlaces();
    void heldFrameDrawsNothing();
    void removedObjectLeavesNoTrace();
    void filterHaloMovesWithItsObject();
    void maskMovingRevealsContent();
    void maskRangeChangeUncoversContent();
    void drawsEverythingWhenItCannotTrustThePicture();
};

void TestDamage::sameAsFullDrawing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("cached");
    QTest::addColumn<QSize>("size");
    // An odd size: the stage lands on fractional pixels and scales unevenly.
    const QSize odd(241, 163);
    // Full screen, where backgrounds are larger than a million pixels.
    QTest::newRow("story at full HD, giornata.swf") << QStringLiteral(STORY_DIR "/giornata.swf") << 34 << false
                                                    << QSize(1920, 1080);
    for (const QFileInfo &f : QDir(QStringLiteral(STORY_DIR)).entryInfoList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        QTest::newRow(qPrintable(QStringLiteral("story ") + f.fileName())) << f.filePath() << 150 << false << odd;
        QTest::newRow(qPrintable(QStringLiteral("story, cached ") + f.fileName())) << f.filePath() << 150 << true << odd;
    }
    for (const char *folder : {"flash-reference", "visual"}) {
        const QString root = QStringLiteral(SWF_CORPUS_DIR) + u'/' + QLatin1String(folder);
        QDirIterator it(root, {QStringLiteral("*.swf")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files << it.next();
        files.sort();
        for (const QString &file : files)
            QTest::newRow(qPrintable(QDir(root).relativeFilePath(file))) << file << 24 << false << odd;
    }
}

void TestDamage::sameAsFullDrawing()
{
    QFETCH(QString, path);
    QFETCH(int, frames);
    QFETCH(bool, cached);
    QFETCH(QSize, size);
    // The cache of drawn shapes pastes a shape up to an eighth of a pixel
    // from where it would be drawn, and which shapes it holds depends on
    // what was drawn before: without it both pictures must be the same to
    // the byte; with it, edge pixels may differ by what an eighth of a
    // pixel of coverage makes, and a few thin lines by more. A part left
    // undrawn would leave hundreds of pixels wrong.
    swf::rastercache::setEnabled(cached);
    const int tolerance = cached ? 48 : 0;
    const int allowed = cached ? 20 : 0;
    auto kept = swf::Player::load(path);
    auto fresh = swf::Player::load(path);
    if (!kept || !fresh)
        QSKIP("the movie does not decode");
    QImage picture = blank(size);
    for (int frame = 1; frame <= frames; ++frame) {
        kept->renderChanges(picture);
        const QImage full = fresh->renderImage(size);
        QPoint where;
        const int wrong = differing(picture, full, tolerance, &where);
        if (wrong && qEnvironmentVariableIsSet("DAMAGE_SAVE")) {
            picture.save(QStringLiteral("/tmp/damage-kept.png"));
            full.save(QStringLiteral("/tmp/damage-full.png"));
        }
        QVERIFY2(wrong <= allowed, qPrintable(QStringLiteral("frame %1: %2 pixels differ, the first at %3,%4")
                                            .arg(frame).arg(wrong).arg(where.x()).arg(where.y())));
        kept->advance();
        fresh->advance();
    }
}

void TestDamage::movingShapeRedrawsBothPlaces()
{
    MovieBuilder b;
    b.rectShape(1, 0, 0, 200, 200, 255, 0, 0);      // 10 x 10 px, red
    b.place(1, 1, 100).showFrame();                 // at x 5 px
    b.move(1, {}, 1500).showFrame().end();          // at x 75 px
    auto p = b.load();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    QCOMPARE(p->renderChanges(picture), QRegion(0, 0, 100, 100));
    QCOMPARE(picture.pixelColor(10, 5), QColor(Qt::red));
    p->advance();
    const QRegion drawn = p->renderChanges(picture);
    QVERIFY(drawn.contains(QPoint(10, 5)));         // where it was
    QVERIFY(drawn.contains(QPoint(80, 5)));         // where it is
    QVERIFY(!drawn.contains(QPoint(50, 90)));       // far from both
    QVERIFY2(areaOf(drawn) < 100 * 100 / 4, "most of the picture was drawn again");
    QCOMPARE(picture.pixelColor(10, 5), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(80, 5), QColor(Qt::red));
    QCOMPARE(differing(picture, p->renderImage(QSize(100, 100)), 0, nullptr), 0);
}

void TestDamage::heldFrameDrawsNothing()
{
    auto p = heldSquare();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);
    const qint64 key = picture.cacheKey();
    p->advance();
    QVERIFY(p->renderChanges(picture).isEmpty());
    QCOMPARE(picture.cacheKey(), key);              // not even opened for drawing
}

void TestDamage::removedObjectLeavesNoTrace()
{
    MovieBuilder b;
    b.background(0, 0, 255).rectShape(1, 1000, 1000, 1500, 1500, 0, 255, 0);
    b.place(2, 1).showFrame().remove(2).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(60, 60), QColor(Qt::green));
    p->advance();
    const QRegion drawn = p->renderChanges(picture);
    QVERIFY(drawn.contains(QRect(50, 50, 25, 25)));
    QVERIFY(!drawn.contains(QPoint(5, 5)));
    QCOMPARE(picture.pixelColor(60, 60), QColor(Qt::blue));
    QCOMPARE(picture.pixelColor(50, 50), QColor(Qt::blue));
    QCOMPARE(picture.pixelColor(74, 74), QColor(Qt::blue));
}

void TestDamage::filterHaloMovesWithItsObject()
{
    // A red square with a wide green glow: the glow reaches well past the
    // square's own bounds, and must go with it when it moves.
    QByteArray glow;
    glow.append(char(1));                                   // one filter
    glow.append(char(2));                                   // glow
    glow.append(QByteArray("\x00\xff\x00\xff", 4));          // green, opaque
    for (int i = 0; i < 2; ++i)
        glow.append(QByteArray("\x00\x00\x10\x00", 4));     // blur 16 px (16.16)
    glow.append(QByteArray("\x00\x02", 2));                 // strength 2 (8.8)
    glow.append(char(0x21));                                // composite, one pass
    MovieBuilder b;
    b.rectShape(1, 0, 0, 200, 200, 255, 0, 0);
    b.placeFiltered(1, 1, 600, glow).showFrame();               // square at 30..40 px
    b.move(1, {}, 1400).showFrame().end();                  // at 70..80 px
    auto p = b.load();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);
    const QColor halo = picture.pixelColor(27, 5);
    QVERIFY2(halo.green() > 100 && halo.red() < 200, "no glow left of the square");
    p->advance();
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(27, 5), QColor(Qt::white));
    QCOMPARE(differing(picture, p->renderImage(QSize(100, 100)), 0, nullptr), 0);
}

void TestDamage::maskMovingRevealsContent()
{
    // A full-stage red rectangle seen through a 20 px mask that slides
    // right: the content itself never changes, only what the mask lets
    // through.
    MovieBuilder b;
    b.rectShape(1, 0, 0, 400, 2000, 0, 0, 0);       // mask
    b.rectShape(2, 0, 0, 2000, 2000, 255, 0, 0);
    b.place(1, 1, 0, {}, 3).place(2, 2).showFrame();
    b.move(1, {}, 1200).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(10, 50), QColor(Qt::red));
    QCOMPARE(picture.pixelColor(70, 50), QColor(Qt::white));
    p->advance();
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(10, 50), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(70, 50), QColor(Qt::red));
    QCOMPARE(differing(picture, p->renderImage(QSize(100, 100)), 0, nullptr), 0);
}

void TestDamage::maskRangeChangeUncoversContent()
{
    // The mask is replaced by one whose range stops below the content: the
    // content, unchanged itself, is no longer cut to the mask's small area.
    MovieBuilder b;
    b.rectShape(1, 0, 0, 400, 400, 0, 0, 0);
    b.rectShape(2, 0, 0, 2000, 2000, 255, 0, 0);
    b.place(1, 1, 0, {}, 3).place(2, 2).showFrame();
    b.remove(1).place(1, 1, 0, {}, 1).showFrame().end();
    auto p = b.load();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(80, 80), QColor(Qt::white));
    p->advance();
    p->renderChanges(picture);
    QCOMPARE(picture.pixelColor(80, 80), QColor(Qt::red));
    QCOMPARE(differing(picture, p->renderImage(QSize(100, 100)), 0, nullptr), 0);
}

void TestDamage::drawsEverythingWhenItCannotTrustThePicture()
{
    auto p = heldSquare();
    QVERIFY(p);
    QImage picture = blank(QSize(100, 100));
    p->renderChanges(picture);

    // Someone else drew on it.
    picture.fill(Qt::black);
    QCOMPARE(p->renderChanges(picture), QRegion(picture.rect()));
    QCOMPARE(picture.pixelColor(50, 50), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(10, 5), QColor(Qt::red));

    // Another picture of the same size.
    QImage other = blank(QSize(100, 100));
    QCOMPARE(p->renderChanges(other), QRegion(other.rect()));
    QCOMPARE(other.pixelColor(50, 50), QColor(Qt::white));

    // Another size.
    QImage larger = blank(QSize(200, 120));
    QCOMPARE(p->renderChanges(larger), QRegion(larger.rect()));
    QCOMPARE(differing(larger, p->renderImage(larger.size()), 0, nullptr), 0);

    // Another quality.
    p->setAntialiased(false);
    QCOMPARE(p->renderChanges(larger), QRegion(larger.rect()));
    QVERIFY(p->renderChanges(larger).isEmpty());
}

QTEST_MAIN(TestDamage)
#include "tst_damage.moc"
