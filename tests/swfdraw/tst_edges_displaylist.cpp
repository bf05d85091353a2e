#include "display/Clip.h"
#include "Player.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

namespace {

void tag(SwfWriter &movie, int code, const QByteArray &body)
{
    if (body.size() < 63) {
        movie.u16(code << 6 | int(body.size()));
    } else {
        movie.u16(code << 6 | 63).u32(std::uint32_t(body.size()));
    }
    movie.bytes(body);
}

// DefineShape: one rectangle in twips with a solid fill.
QByteArray rectangle(int id, QRect r, const QColor &color)
{
    SwfWriter w;
    w.u16(id).rect(r.left(), r.right(), r.top(), r.bottom());
    w.u8(1).u8(0x00).rgb(color);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(-1, 1, -1, true, r.left(), r.top(), 1, 0);
    w.lineTo(r.width(), 0).lineTo(0, r.height()).lineTo(-r.width(), 0).lineTo(0, -r.height());
    w.endShape();
    return w.data();
}

QByteArray placement(int depth, int id, int clipDepth = 0)
{
    SwfWriter w;
    w.u8(clipDepth ? 0x42 : 0x02).u16(depth).u16(id);
    if (clipDepth)
        w.u16(clipDepth);
    return w.data();
}

QByteArray movie(int version, const QByteArray &tags, int frames)
{
    SwfWriter header;
    header.rect(0, 2000, 0, 2000).u16(12 << 8).u16(frames);
    const QByteArray rest = header.data() + tags;
    return SwfWriter().bytes("FWS").u8(version).u32(std::uint32_t(8 + rest.size())).bytes(rest).data();
}

// A 100 x 100 pixel movie: a red square at depth 1 on frame 1, a blue one
// placed at the same depth on frame 2, lower and further right.
QByteArray twoAtOneDepth(int version)
{
    SwfWriter tags;
    tag(tags, 9, SwfWriter().rgb(Qt::white).data());
    tag(tags, 2, rectangle(1, QRect(0, 0, 1000, 1000), Qt::red));
    tag(tags, 26, placement(1, 1));
    tag(tags, 1, {});
    tag(tags, 2, rectangle(2, QRect(500, 500, 1000, 1000), Qt::blue));
    tag(tags, 26, placement(1, 2));
    tag(tags, 1, {});
    tag(tags, 0, {});
    return movie(version, tags.data(), 2);
}

// A red square under a mask whose right edge runs `maskRight` twips from
// the left of the stage.
QByteArray maskedSquare(int maskRight)
{
    SwfWriter tags;
    tag(tags, 9, SwfWriter().rgb(Qt::white).data());
    tag(tags, 2, rectangle(1, QRect(0, 0, maskRight, 2000), Qt::black));
    tag(tags, 2, rectangle(2, QRect(0, 0, 2000, 2000), Qt::red));
    tag(tags, 26, placement(1, 1, 2));
    tag(tags, 26, placement(2, 2));
    tag(tags, 1, {});
    tag(tags, 0, {});
    return movie(8, tags.data(), 1);
}

} // namespace

class TestEdgeDisplayList : public QObject
{
    Q_OBJECT

private slots:
    void secondPlacementAtTakenDepth_data();
    void secondPlacementAtTakenDepth();
    void rewindDropsWhatLiesBeneath();
    void maskEdgesCoverInSixteenths_data();
    void maskEdgesCoverInSixteenths();
};

void TestEdgeDisplayList::secondPlacementAtTakenDepth_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("kept");
    QTest::newRow("version 4") << 4 << true;
    QTest::newRow("version 5") << 5 << true;
    QTest::newRow("version 6") << 6 << false;
    QTest::newRow("version 8") << 8 << false;
}

void TestEdgeDisplayList::secondPlacementAtTakenDepth()
{
    QFETCH(int, version);
    QFETCH(bool, kept);
    QString error;
    auto player = swf::Player::fromBytes(twoAtOneDepth(version), &error);
    QVERIFY2(player, qPrintable(error));
    player->advance();
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 10, 10, QColor(Qt::red));
    // The first object keeps the depth and stays on top where both lie.
    COMPARE_PIXEL(image, 40, 40, QColor(Qt::red));
    COMPARE_PIXEL(image, 70, 70, kept ? QColor(Qt::blue) : QColor(Qt::white));
    const auto &objects = player->rootClip().objects();
    QCOMPARE(objects.at(1).characterId, 1);
    QCOMPARE(int(objects.at(1).beneath.size()), kept ? 1 : 0);
}

void TestEdgeDisplayList::rewindDropsWhatLiesBeneath()
{
    // The movie loops: going back to frame 1 rebuilds the list, which holds
    // the red square alone again.
    auto player = swf::Player::fromBytes(twoAtOneDepth(5));
    QVERIFY(player);
    player->advance();
    player->advance();
    QCOMPARE(player->currentFrame(), 1);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 10, 10, QColor(Qt::red));
    COMPARE_PIXEL(image, 70, 70, QColor(Qt::white));
    QVERIFY(player->rootClip().objects().at(1).beneath.empty());
}

void TestEdgeDisplayList::maskEdgesCoverInSixteenths_data()
{
    QTest::addColumn<int>("maskRight");  // twips; pixel column 10 spans 200..220
    QTest::addColumn<int>("green");      // what red over white leaves of green there

    // A mask lets through as many sixteenths of a pixel as of its 4 x 4
    // samples (at 1/8, 3/8, 5/8, 7/8) it covers; one between samples lets
    // nothing through.
    QTest::newRow("between samples") << 202 << 255;
    QTest::newRow("one column") << 204 << 191;
    QTest::newRow("half") << 210 << 127;
    QTest::newRow("whole") << 220 << 0;
}

void TestEdgeDisplayList::maskEdgesCoverInSixteenths()
{
    QFETCH(int, maskRight);
    QFETCH(int, green);
    auto player = swf::Player::fromBytes(maskedSquare(maskRight));
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 5, 10, QColor(Qt::red));
    COMPARE_PIXEL(image, 10, 10, QColor(255, green, green));
    COMPARE_PIXEL(image, 15, 10, QColor(Qt::white));
}

QTEST_MAIN(TestEdgeDisplayList)
#include "tst_edges_displaylist.moc"
