// Bitmap filters on a placed object, through the whole player: a grey
// square placed by PlaceObject3 with one filter, the stage drawn at its own
// size or larger.
#include "Player.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>
#include <QtEndian>
#include <cmath>

namespace {

using testsupport::tag;

const QColor grey(128, 128, 128);

QByteArray fixed16(double v)
{
    QByteArray out(4, 0);
    qToLittleEndian<qint32>(qint32(std::lround(v * 65536)), out.data());
    return out;
}

// A 40 x 40 px stage holding a grey square from 10 to 30 px, drawn through
// `filterBody` (one FILTER record, id first), red added by its colour
// transform when `reddened`.
std::unique_ptr<swf::Player> squareWithFilter(const QByteArray &filterBody, bool reddened = false,
                                              int translation = 0)
{
    SwfWriter shape;
    shape.u16(1).rect(200, 600, 200, 600);
    shape.u8(1).u8(0).rgb(grey);       // one solid fill
    shape.u8(0);                       // no lines
    shape.ub(4, 1).ub(4, 0);
    shape.styleChange(-1, 1, -1, true, 200, 200, 1, 0);
    shape.lineTo(400, 0).lineTo(0, 400).lineTo(-400, 0).lineTo(0, -400).endShape();

    SwfWriter place;
    place.u8(reddened ? 0x0e : 0x06).u8(0x01).u16(1).u16(1).matrix(1, 1, translation, translation);
    if (reddened) {
        place.flag(true).flag(false).ub(4, 10);       // add terms only, 10 bits each
        place.sb(10, 255).sb(10, 0).sb(10, 0).sb(10, 0).flush();
    }
    place.u8(1).bytes(filterBody);

    SwfWriter file;
    file.rect(0, 800, 0, 800).u16(24 << 8).u16(1);
    QByteArray tags = tag(9, QByteArray("\xff\xff\xff", 3)) + tag(2, shape.data()) + tag(70, place.data())
                    + tag(1, {}) + tag(0, {});
    QByteArray body = file.data() + tags;
    SwfWriter header;
    header.bytes("FWS").u8(8).u32(std::uint32_t(8 + body.size()));
    QString error;
    auto player = swf::Player::fromBytes(header.data() + body, &error);
    if (!player)
        qWarning("%s", qPrintable(error));
    else
        player->setAntialiased(false);
    return player;
}

QByteArray glow(const QColor &colour, double blur, int flags)
{
    SwfWriter w;
    w.u8(2).rgba(colour).bytes(fixed16(blur)).bytes(fixed16(blur)).u16(0x0100).u8(flags);
    return w.data();
}

} // namespace

class FiltersTest : public QObject
{
    Q_OBJECT
private slots:
    void blurScalesWithTheView_data();
    void blurScalesWithTheView();
    void bevelLightsTheSideAwayFromTheAngle();
    void glowWithoutTheObject();
    void dropShadowFollowsItsAngle();
    void colourTransformTintsTheGlow();
    void filteredObjectDropsItsFraction();
};

void FiltersTest::blurScalesWithTheView_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("spread");   // pixels the blur reaches past the edge
    // 4 stage pixels: an odd box of 3 at the stage's size, of 7 at twice it.
    QTest::newRow("stage size") << 40 << 1;
    QTest::newRow("twice the size") << 80 << 3;
}

void FiltersTest::blurScalesWithTheView()
{
    QFETCH(int, size);
    QFETCH(int, spread);
    SwfWriter blur;
    blur.u8(1).bytes(fixed16(4)).bytes(fixed16(4)).u8(1 << 3);
    auto player = squareWithFilter(blur.data());
    QVERIFY(player);
    const QImage image = player->renderImage(QSize(size, size));
    const int edge = size / 4, middle = size / 2;
    QVERIFY2(qRed(image.pixel(edge - spread, middle)) < 255, testsupport::describe(image.pixel(edge - spread, middle)));
    COMPARE_PIXEL(image, edge - spread - 1, middle, Qt::white);
    COMPARE_PIXEL(image, middle, middle, grey);
}

void FiltersTest::bevelLightsTheSideAwayFromTheAngle()
{
    // Inner bevel, light from the left: red (the first colour) on the left
    // edge, blue on the right one.
    SwfWriter bevel;
    bevel.u8(3).rgba(Qt::red).rgba(Qt::blue).bytes(fixed16(0)).bytes(fixed16(0));
    bevel.bytes(fixed16(0)).bytes(fixed16(2)).u16(0x0100).u8(0x80 | 0x20 | 1);
    auto player = squareWithFilter(bevel.data());
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 10, 20, Qt::red);
    COMPARE_PIXEL(image, 29, 20, Qt::blue);
    COMPARE_PIXEL(image, 20, 20, grey);
    COMPARE_PIXEL(image, 31, 20, Qt::white);
    COMPARE_PIXEL(image, 8, 20, Qt::white);
}

void FiltersTest::glowWithoutTheObject()
{
    // The composite-source bit clear: the glow is drawn, the square not.
    auto player = squareWithFilter(glow(Qt::red, 3, 1));
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 20, 20, Qt::red);
    QVERIFY(qGreen(image.pixel(9, 20)) < 255);               // the glow reaches past the edge

    auto shown = squareWithFilter(glow(Qt::red, 3, 0x20 | 1));
    QVERIFY(shown);
    COMPARE_PIXEL(shown->renderImage(), 20, 20, grey);
}

void FiltersTest::dropShadowFollowsItsAngle()
{
    SwfWriter shadow;
    shadow.u8(0).rgba(Qt::black).bytes(fixed16(0)).bytes(fixed16(0));
    shadow.bytes(fixed16(M_PI / 2)).bytes(fixed16(3)).u16(0x0100).u8(0x20 | 1);
    auto player = squareWithFilter(shadow.data());
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 20, 31, Qt::black);   // below the square
    COMPARE_PIXEL(image, 31, 20, Qt::white);   // not beside it
    COMPARE_PIXEL(image, 20, 20, grey);
}

void FiltersTest::colourTransformTintsTheGlow()
{
    // A black glow on an object whose colour transform adds red: players
    // tint the filtered picture, so the glow turns red too.
    auto player = squareWithFilter(glow(Qt::black, 3, 0x20 | 1), true);
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 20, 20, QColor(255, 128, 128));
    const QRgb glowPixel = image.pixel(9, 20);
    QVERIFY2(qRed(glowPixel) == 255 && qGreen(glowPixel) < 240 && qGreen(glowPixel) == qBlue(glowPixel),
             testsupport::describe(glowPixel));
}

void FiltersTest::filteredObjectDropsItsFraction()
{
    // Placed 1.9 px right and down: the filtered picture lands 1 px off.
    auto player = squareWithFilter(glow(Qt::black, 0, 0x20 | 1), false, 38);
    QVERIFY(player);
    const QImage image = player->renderImage();
    COMPARE_PIXEL(image, 11, 11, grey);
    COMPARE_PIXEL(image, 10, 20, Qt::white);
    COMPARE_PIXEL(image, 20, 10, Qt::white);
    COMPARE_PIXEL(image, 30, 30, grey);
    COMPARE_PIXEL(image, 31, 31, Qt::white);
}

QTEST_MAIN(FiltersTest)
#include "tst_filters.moc"
