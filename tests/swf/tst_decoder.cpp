// Decoding: every header compression, the corpus of single-tag files, and
// hostile input (truncation, lying lengths, compression bombs, runaway
// sprites and scripts) that must end quickly with an error or a bounded
// result.
#include "display/Clip.h"
#include "MovieBuilder.h"
#include "Player.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>
#include <zlib.h>

#include <sys/stat.h>

namespace {

QString corpus(const QString &sub)
{
    return QStringLiteral(SWF_CORPUS_DIR "/") + sub;
}

// Counts every object on the stage, sprites' contents included.
int countObjects(const swf::Clip &clip)
{
    int n = 0;
    for (const auto &[depth, object] : clip.objects()) {
        ++n;
        if (object.clip)
            n += countObjects(*object.clip);
    }
    return n;
}

int nesting(const swf::Clip &clip)
{
    int deepest = 0;
    for (const auto &[depth, object] : clip.objects())
        if (object.clip)
            deepest = std::max(deepest, 1 + nesting(*object.clip));
    return deepest;
}

// Runs a few frames and draws them: what the player control would do.
void exercise(swf::Player &player)
{
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 3; ++i) {
        QPainter painter(&image);
        player.render(painter, image.rect());
        painter.end();
        player.advance();
    }
}

} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT
private slots:
    void compressions_data();
    void compressions();
    void corpusHeaders_data();
    void corpusHeaders();
    void malformedLzmaRejected_data();
    void malformedLzmaRejected();
    void corpusNeverCrashes();
    void everyTruncationEndsCleanly();
    void lyingLengths_data();
    void lyingLengths();
    void zlibBombCapped();
    void deepSpriteNestingBounded();
    void selfPlacingSpritesBounded();
    void actionPingPongBounded();
    void selfPlacingButtonBounded();
    void longJumpsBounded();
    void tagCounts();
    void specialFilesRefused();
};

void TestDecoder::compressions_data()
{
    QTest::addColumn<char>("compression");
    QTest::newRow("FWS") << 'F';
    QTest::newRow("CWS") << 'C';
    QTest::newRow("ZWS") << 'Z';
}

void TestDecoder::compressions()
{
    QFETCH(char, compression);
    MovieBuilder b;
    b.background(10, 20, 30).emptyShape(1).place(1, 1).showFrame().showFrame().end();
    QString error;
    auto p = swf::Player::fromBytes(b.build(compression, 4000, 3000, 24), &error);
    QVERIFY2(p, qPrintable(error));
    QCOMPARE(p->info().compression, compression);
    QCOMPARE(p->info().stage, QRectF(0, 0, 4000, 3000));
    QCOMPARE(p->info().frameRate, 24.0);
    QCOMPARE(p->info().background, QColor(10, 20, 30));
    QCOMPARE(p->info().tagCounts.value(1), 2);
    QCOMPARE(p->renderImage().size(), QSize(200, 150));
    QCOMPARE(p->renderImage().pixelColor(5, 5), QColor(10, 20, 30));
}

void TestDecoder::corpusHeaders_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<char>("compression");
    QTest::newRow("uncompressed") << "uncompressed.swf" << 'F';
    QTest::newRow("zlib") << "zlib.swf" << 'C';
    QTest::newRow("lzma") << "lzma.swf" << 'Z';
}

void TestDecoder::corpusHeaders()
{
    if (!QDir(corpus(QString())).exists())
        QSKIP("the SWF corpus is not beside the checkout");
    QFETCH(QString, file);
    QFETCH(char, compression);
    QString error;
    auto p = swf::Player::load(corpus(QStringLiteral("parser/") + file), &error);
    QVERIFY2(p, qPrintable(error));
    QCOMPARE(p->info().compression, compression);
    QVERIFY(p->info().stage.width() > 0);
    QVERIFY(p->info().tagCounts.value(0) >= 1); // reached the End tag
}

void TestDecoder::malformedLzmaRejected_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("length too large") << "lzma-length-too-large.swf";
    QTest::newRow("malformed length") << "lzma-malformed-length.swf";
}

void TestDecoder::malformedLzmaRejected()
{
    if (!QDir(corpus(QString())).exists())
        QSKIP("the SWF corpus is not beside the checkout");
    QFETCH(QString, file);
    QString error;
    auto p = swf::Player::load(corpus(QStringLiteral("parser/") + file), &error);
    QVERIFY(!p);
    QVERIFY(!error.isEmpty());
}

void TestDecoder::corpusNeverCrashes()
{
    if (!QDir(corpus(QString())).exists())
        QSKIP("the SWF corpus is not beside the checkout");
    int decoded = 0;
    for (const QString &folder : {QStringLiteral("parser"), QStringLiteral("flash-reference")}) {
        QDir dir(corpus(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.swf")}, QDir::Files)) {
            auto p = swf::Player::load(dir.filePath(name));
            if (p) {
                exercise(*p);
                ++decoded;
            }
        }
    }
    QVERIFY(decoded >= 74 + 50);
}

void TestDecoder::everyTruncationEndsCleanly()
{
    MovieBuilder inner;
    inner.place(1, 1, 40).showFrame().end();
    MovieBuilder b;
    b.background(1, 2, 3).rectShape(1, 0, 0, 400, 400, 255, 0, 0).sprite(2, inner);
    b.place(1, 2, 100, QStringLiteral("s")).showFrame();
    b.actions(MovieBuilder::gotoFrame2(1, true)).showFrame().end();
    for (char compression : {'F', 'C', 'Z'}) {
        const QByteArray whole = b.build(compression);
        QVERIFY(swf::Player::fromBytes(whole));
        for (int n = 0; n < whole.size(); ++n) {
            QString error;
            auto p = swf::Player::fromBytes(whole.left(n), &error);
            if (p)
                exercise(*p);
            else
                QVERIFY(!error.isEmpty());
        }
    }
}

void TestDecoder::lyingLengths_data()
{
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<bool>("decodes");
    QByteArray longLie;
    longLie.append(char(0xff)).append(char(0x00)); // code 3, long length follows
    longLie.append("\xff\xff\xff\x7f", 4);
    QTest::newRow("long length past the end") << longLie << false;
    QTest::newRow("short length past the end") << QByteArray("\x05\x00", 2) << false;
    // A PlaceObject2 whose body stops inside its matrix: the tag is dropped.
    QTest::newRow("body shorter than its fields") << QByteArray("\x84\x06\x06\x01\x00\x01", 6) << true;
    QTest::newRow("stray byte after the last tag") << QByteArray("\x40\x00\x07", 3) << true;
}

void TestDecoder::lyingLengths()
{
    QFETCH(QByteArray, tags);
    QFETCH(bool, decodes);
    MovieBuilder b;
    b.tag(2, QByteArray()); // an empty definition, skipped
    QByteArray bytes = b.build();
    bytes.append(tags);
    QString error;
    auto p = swf::Player::fromBytes(bytes, &error);
    QCOMPARE(bool(p), decodes);
    if (p)
        exercise(*p);
    else
        QVERIFY(error.contains(QStringLiteral("truncated")));
}

void TestDecoder::zlibBombCapped()
{
    // 100 MiB of zeros squeeze into about 100 KB; the header may claim any
    // size, the output stops at the cap.
    const QByteArray zeros(100 << 20, '\0');
    uLongf size = compressBound(uLong(zeros.size()));
    QByteArray packed(qsizetype(size), 0);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &size,
              reinterpret_cast<const Bytef *>(zeros.constData()), uLong(zeros.size()), 9);
    packed.resize(qsizetype(size));
    auto withHeader = [&](quint32 declared) {
        QByteArray out("CWS\x08", 4);
        for (int i = 0; i < 4; ++i)
            out.append(char((declared >> (8 * i)) & 0xff));
        return out + packed;
    };
    QElapsedTimer timer;
    timer.start();
    QString error;
    QVERIFY(!swf::Player::fromBytes(withHeader(quint32(100) << 20), &error));
    QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error));
    // Claiming less than the stream holds: only the claimed bytes are made
    // (zeros: an empty stage rectangle, so still an error, but a quick one).
    QVERIFY(!swf::Player::fromBytes(withHeader(1 << 20), &error));
    QVERIFY(timer.elapsed() < 10000);
}

void TestDecoder::deepSpriteNestingBounded()
{
    // Sprite k places sprite k+1, a thousand deep.
    MovieBuilder b;
    for (int k = 1; k <= 1000; ++k) {
        MovieBuilder inner;
        inner.place(1, k + 1).showFrame().end();
        b.sprite(k, inner);
    }
    b.place(1, 1).showFrame().end();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    QVERIFY(nesting(p->rootClip()) <= swf::ClipWorld::MaxNesting);
    exercise(*p);
}

void TestDecoder::selfPlacingSpritesBounded()
{
    // A sprite placing itself twice would double at every level.
    MovieBuilder inner;
    inner.place(1, 1, 20).place(2, 1, 40).showFrame().showFrame().end();
    MovieBuilder b;
    b.sprite(1, inner).place(1, 1).showFrame().end();
    QElapsedTimer timer;
    timer.start();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    exercise(*p);
    QVERIFY(countObjects(p->rootClip()) <= swf::ClipWorld::MaxObjects);
    QVERIFY2(timer.elapsed() < 20000, "a self-placing sprite took too long");
}

void TestDecoder::actionPingPongBounded()
{
    // Frame 1 jumps to frame 2, whose actions jump back to frame 1, forever
    // within one tick unless bounded.
    MovieBuilder b;
    b.actions(MovieBuilder::gotoFrame(1)).showFrame();
    b.actions(MovieBuilder::gotoFrame(0)).showFrame().end();
    QElapsedTimer timer;
    timer.start();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    p->advance();
    p->advance();
    QVERIFY(timer.elapsed() < 5000);
}

void TestDecoder::selfPlacingButtonBounded()
{
    // DefineButton2 whose up state shows the button itself, several times at
    // one depth and at others: each copy would rebuild the whole tree.
    QByteArray body("\x01\x00\x00\x00\x00", 5); // id 1, flags, no actions
    for (int i = 0; i < 6; ++i) {
        body.append(char(0x01));                    // up state
        body.append("\x01\x00", 2);                // character 1: itself
        body.append(char(1 + i / 3)).append(char(0)); // depths 1 and 2
        body.append(char(0));                       // identity matrix
        body.append(char(0));                       // no colour transform
    }
    body.append(char(0));
    MovieBuilder b;
    b.tag(34, body).place(1, 1).showFrame().end();
    QElapsedTimer timer;
    timer.start();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    exercise(*p);
    QVERIFY(countObjects(p->rootClip()) <= swf::ClipWorld::MaxObjects);
    QVERIFY2(timer.elapsed() < 10000, "a self-placing button took too long");
}

void TestDecoder::longJumpsBounded()
{
    // Jumping between the first and the last of 3000 frames, each placing
    // and removing an object, replays the whole timeline at every jump.
    MovieBuilder b;
    b.emptyShape(1);
    b.actions(MovieBuilder::gotoFrame(2999)).showFrame();
    for (int f = 1; f < 2999; ++f)
        b.place(1, 1).remove(1).showFrame();
    b.actions(MovieBuilder::gotoFrame(0)).showFrame().end();
    QElapsedTimer timer;
    timer.start();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    p->advance();
    QVERIFY2(timer.elapsed() < 10000, "jumps over a long timeline took too long");
}

void TestDecoder::specialFilesRefused()
{
    // Neither opened nor read: a pipe waits for a writer, /dev/zero never ends.
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("tubo.swf"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &path : {pipe, QStringLiteral("/dev/zero")}) {
        QString error;
        QVERIFY(!swf::Player::load(path, &error));
        QVERIFY2(error.endsWith(QStringLiteral("not a file")), qPrintable(error));
    }
}

void TestDecoder::tagCounts()
{
    MovieBuilder inner;
    inner.showFrame().tag(24, QByteArray()).tag(15, QByteArray("\x01\x00\x00", 3)).showFrame().end();
    MovieBuilder b;
    b.tag(69, QByteArray(4, 0)).emptyShape(1).sprite(2, inner).place(1, 2).showFrame().end();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    const auto &info = p->info();
    QCOMPARE(info.tagCounts.value(1), 3);       // ShowFrame, main and sprite
    QCOMPARE(info.tagCounts.value(0), 2);       // End, main and sprite
    QCOMPARE(info.skippedTags.value(69), 1);    // FileAttributes
    QCOMPARE(info.skippedTags.value(24), 1);    // Protect inside the sprite
    QCOMPARE(info.skippedTags.value(15), 0);    // StartSound, played
    QCOMPARE(info.skippedTags.value(26), 0);
}

QTEST_MAIN(TestDecoder)
#include "tst_decoder.moc"
