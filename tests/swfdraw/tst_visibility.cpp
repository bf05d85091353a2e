// The visible flag of PlaceObject3: a hidden object is not drawn, and a
// later move may show it again.
#include "Player.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

namespace {

using testsupport::tag;

// A red square from 0 to 10 px, character 1.
QByteArray redSquare()
{
    SwfWriter shape;
    shape.u16(1).rect(0, 200, 0, 200);
    shape.u8(1).u8(0).rgb(Qt::red);
    shape.u8(0);
    shape.ub(4, 1).ub(4, 0);
    shape.styleChange(-1, 1, -1, true, 0, 0, 1, 0);
    shape.lineTo(200, 0).lineTo(0, 200).lineTo(-200, 0).lineTo(0, -200).endShape();
    return tag(2, shape.data());
}

// PlaceObject3 at `depth`: the square placed at x px (or the object there
// moved when `move`), with the bitmap-cache byte when `cached`, then the
// visible byte.
QByteArray place(int depth, int x, bool visible, bool move = false, bool cached = false)
{
    SwfWriter w;
    w.u8(move ? 0x05 : 0x06).u8(0x20 | (cached ? 0x04 : 0)).u16(depth);
    if (!move)
        w.u16(1);
    w.matrix(1, 1, x * 20, 0);
    if (cached)
        w.u8(1);
    w.u8(visible ? 1 : 0);
    return tag(70, w.data());
}

std::unique_ptr<swf::Player> movie(const QByteArray &frames)
{
    SwfWriter file;
    file.rect(0, 800, 0, 200).u16(12 << 8).u16(2);
    const QByteArray body = file.data() + tag(9, QByteArray("\xff\xff\xff", 3)) + redSquare() + frames + tag(0, {});
    SwfWriter header;
    header.bytes("FWS").u8(8).u32(std::uint32_t(8 + body.size()));
    QString error;
    auto player = swf::Player::fromBytes(header.data() + body, &error);
    if (!player)
        qWarning("%s", qPrintable(error));
    return player;
}

} // namespace

class VisibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void hiddenObjectsAreNotDrawn();
    void moveShowsAHiddenObject();
};

void VisibilityTest::hiddenObjectsAreNotDrawn()
{
    auto player = movie(place(1, 0, false) + place(2, 15, true) + place(3, 30, false, false, true)
                        + tag(1, {}));
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 5, 5, Qt::white);
    COMPARE_PIXEL(image, 20, 5, Qt::red);
    COMPARE_PIXEL(image, 35, 5, Qt::white);
}

void VisibilityTest::moveShowsAHiddenObject()
{
    auto player = movie(place(1, 0, false) + tag(1, {}) + place(1, 0, true, true) + tag(1, {}));
    QVERIFY(player);
    COMPARE_PIXEL(player->renderImage(), 5, 5, Qt::white);
    player->advance();
    COMPARE_PIXEL(player->renderImage(), 5, 5, Qt::red);
}

QTEST_MAIN(VisibilityTest)
#include "tst_visibility.moc"
