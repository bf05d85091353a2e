#include "SwfWriter.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

struct Edge
{
    QPoint from, to;
    int fill0 = 0, fill1 = 0;
    QPoint control;                  // a curve when not null
};

// Writes each edge with its own move-to, so that their order is free.
void writeEdges(SwfWriter &w, const QVector<Edge> &edges)
{
    for (const Edge &e : edges) {
        w.styleChange(e.fill0, e.fill1, 0, true, e.from.x(), e.from.y());
        if (e.control.isNull())
            w.lineTo(e.to.x() - e.from.x(), e.to.y() - e.from.y());
        else
            w.curveTo(e.control.x() - e.from.x(), e.control.y() - e.from.y(),
                      e.to.x() - e.control.x(), e.to.y() - e.control.y());
    }
}

// A DefineShape3 (or 4) body with solid fills and plain line styles.
QByteArray shapeBody(const QVector<QColor> &fills, const QVector<QPair<int, QColor>> &lines,
                     const std::function<void(SwfWriter &)> &records, int version = 3,
                     bool nonZero = false)
{
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000);
    if (version == 4)
        w.rect(0, 4000, 0, 4000).u8(nonZero ? 0x04 : 0);
    w.u8(int(fills.size()));
    for (const QColor &c : fills) {
        w.u8(0x00);
        version >= 3 ? w.rgba(c) : w.rgb(c);
    }
    w.u8(int(lines.size()));
    for (const auto &line : lines) {
        w.u16(line.first);
        if (version == 4)
            w.u8(0).u8(0);           // round caps and joins, colour follows
        version >= 3 ? w.rgba(line.second) : w.rgb(line.second);
    }
    w.ub(4, 4).ub(4, 4);
    records(w);
    w.endShape();
    return w.data();
}

Edge reversedEdge(const Edge &e)
{
    Edge r = e;
    std::swap(r.from, r.to);
    std::swap(r.fill0, r.fill1);
    return r;
}

// Two squares, A (fill 1) and B (fill 2), whose shared side is a curve
// bulging into B: a fill built from wrongly joined edges closes it with a chord.
QVector<Edge> twoSquares()
{
    return {
        {{200, 200}, {1200, 200}, 0, 1, {}},
        {{1200, 200}, {1200, 1000}, 2, 1, {1800, 600}},
        {{1200, 1000}, {200, 1000}, 0, 1, {}},
        {{200, 1000}, {200, 200}, 0, 1, {}},
        {{1200, 200}, {2200, 200}, 0, 2, {}},
        {{2200, 200}, {2200, 1000}, 0, 2, {}},
        {{2200, 1000}, {1200, 1000}, 0, 2, {}},
    };
}

const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 128, 0);

} // namespace

class ShapeTest : public QObject
{
    Q_OBJECT

private slots:
    void fillFromEdgesInAnyOrder_data();
    void fillFromEdgesInAnyOrder();
    void newStyleGroupIsDrawnAbove();
    void fillRule_data();
    void fillRule();
    void strokes();
    void strokeClosedAtItsStart();
    void penWiderThanAnyScreen();
    void strokeScaling_data();
    void strokeScaling();
    void colourTransformOfSolidFill();
    void gradientSpread_data();
    void gradientSpread();
    void radialGradient();
    void gradientBlendsStraightComponents();
    void gradientRatiosOutOfOrder_data();
    void gradientRatiosOutOfOrder();
    void smallestStylesFitTheirTag();
    void styleIndexOutOfRangeIsIgnored();
    void truncatedTagThrows();
    void garbageNeverCrashes();
    void clipPathCoversFills();
};

void ShapeTest::fillFromEdgesInAnyOrder_data()
{
    QTest::addColumn<QVector<int>>("order");
    QTest::addColumn<QVector<int>>("reversed");
    QTest::newRow("file order") << QVector<int>{0, 1, 2, 3, 4, 5, 6} << QVector<int>{};
    QTest::newRow("backwards") << QVector<int>{6, 5, 4, 3, 2, 1, 0} << QVector<int>{};
    QTest::newRow("shuffled") << QVector<int>{3, 5, 1, 6, 0, 4, 2} << QVector<int>{};
    QTest::newRow("directions mixed") << QVector<int>{2, 0, 6, 1, 4, 3, 5} << QVector<int>{1, 3, 4};
    QTest::newRow("all reversed") << QVector<int>{0, 1, 2, 3, 4, 5, 6} << QVector<int>{0, 1, 2, 3, 4, 5, 6};
}

void ShapeTest::fillFromEdgesInAnyOrder()
{
    QFETCH(QVector<int>, order);
    QFETCH(QVector<int>, reversed);
    const QVector<Edge> all = twoSquares();
    QVector<Edge> edges;
    for (int i : order)
        edges.append(reversed.contains(i) ? reversedEdge(all[i]) : all[i]);

    const auto shape = decode(32, shapeBody({red, blue}, {}, [&](SwfWriter &w) { writeEdges(w, edges); }));
    QVERIFY(shape);
    QCOMPARE(shape->type(), swf::Character::Type::Shape);
    QCOMPARE(shape->bounds(), QRectF(0, 0, 4000, 4000));
    const QImage image = render(*shape, {120, 60});
    COMPARE_PIXEL(image, 20, 30, red);
    COMPARE_PIXEL(image, 70, 30, red);    // inside the bulge of the curve
    COMPARE_PIXEL(image, 85, 30, blue);
    COMPARE_PIXEL(image, 65, 12, blue);   // beside the bulge, near the top
    COMPARE_PIXEL(image, 5, 5, Qt::white);
    COMPARE_PIXEL(image, 115, 30, Qt::white);
}

void ShapeTest::newStyleGroupIsDrawnAbove()
{
    // Group 1: a red square 0..2000; then new styles: a blue square 500..1500.
    const QByteArray body = shapeBody({red}, {}, [](SwfWriter &w) {
        w.styleChange(-1, 1, -1, true, 0, 0);
        w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
        w.ub(1, 0).flag(true).flag(false).flag(true).flag(false).flag(true);
        w.ub(5, 17).sb(17, 500).sb(17, 500);
        w.ub(4, 1);                    // fill1 = 1 of the new group
        w.u8(1).u8(0).rgba(blue).u8(0);
        w.ub(4, 1).ub(4, 0);
        w.lineTo(1000, 0).lineTo(0, 1000).lineTo(-1000, 0).lineTo(0, -1000);
    });
    const auto shape = decode(32, body);
    QVERIFY(shape);
    const QImage image = render(*shape, {120, 120});
    COMPARE_PIXEL(image, 50, 50, blue);
    COMPARE_PIXEL(image, 10, 10, red);
    COMPARE_PIXEL(image, 90, 50, red);
    COMPARE_PIXEL(image, 110, 110, Qt::white);
}

void ShapeTest::fillRule_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("nonZero");
    QTest::addColumn<QColor>("overlap");
    QTest::newRow("DefineShape3 even-odd") << 3 << false << QColor(Qt::white);
    QTest::newRow("DefineShape4 even-odd") << 4 << false << QColor(Qt::white);
    QTest::newRow("DefineShape4 non-zero") << 4 << true << red;
}

void ShapeTest::fillRule()
{
    QFETCH(int, version);
    QFETCH(bool, nonZero);
    QFETCH(QColor, overlap);
    // Two clockwise squares of one fill overlapping in 1000..2000.
    const QByteArray body = shapeBody({red}, {}, [](SwfWriter &w) {
        for (int origin : {0, 1000}) {
            w.styleChange(-1, 1, -1, true, origin, origin);
            w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
        }
    }, version, nonZero);
    const auto shape = decode(version == 4 ? 83 : 32, body);
    QVERIFY(shape);
    const QImage image = render(*shape, {160, 160});
    COMPARE_PIXEL(image, 25, 25, red);
    COMPARE_PIXEL(image, 125, 125, red);
    COMPARE_PIXEL(image, 75, 75, overlap);
}

void ShapeTest::strokes()
{
    // A hairline (width 0) and a 10-pixel green line, without fills.
    const QByteArray body = shapeBody({}, {{0, blue}, {200, green}}, [](SwfWriter &w) {
        w.styleChange(-1, -1, 1, true, 0, 410);
        w.lineTo(2000, 0);
        w.styleChange(-1, -1, 2, true, 0, 1400);
        w.lineTo(2000, 0);
    });
    const auto shape = decode(32, body);
    QVERIFY(shape);
    const QImage image = render(*shape, {120, 120});
    // The hairline at y = 20.5 px is one pixel wide and fully covers row 20.
    QVERIFY2(qBlue(image.pixel(50, 20)) > 200 && qRed(image.pixel(50, 20)) < 80,
             testsupport::describe(image.pixel(50, 20)));
    COMPARE_PIXEL(image, 50, 23, Qt::white);
    // The wide line spans y 65..75 px.
    COMPARE_PIXEL(image, 50, 67, green);
    COMPARE_PIXEL(image, 50, 73, green);
    COMPARE_PIXEL(image, 50, 78, Qt::white);

    // Drawn much smaller, the wide line stays at least a pixel wide.
    const QImage small = render(*shape, {20, 20}, QTransform::fromScale(0.005, 0.005));
    QVERIFY2(qRed(small.pixel(5, 7)) < 128, testsupport::describe(small.pixel(5, 7)));
}

void ShapeTest::penWiderThanAnyScreen()
{
    // 3000 pixels wide at one twip to 1/20 pixel, turned and zoomed 200
    // times: hundreds of thousands of pixels. Its width is bounded, yet it
    // still covers the whole picture its line crosses, clipped or not.
    const QByteArray body = shapeBody({}, {{60000, green}}, [](SwfWriter &w) {
        w.styleChange(-1, -1, 1, true, 0, 2000);
        w.lineTo(2000, 0);
        w.curveTo(800, 600, 800, -600);
        w.lineTo(0, 300);
    });
    const auto shape = decode(32, body);
    QVERIFY(shape);
    for (bool clipped : {false, true}) {
        QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (clipped)
            painter.setClipRect(5, 5, 50, 50);
        swf::RenderContext context;
        context.painter = &painter;
        context.matrix = QTransform::fromTranslate(-2000, -2000) * QTransform().rotate(30) * QTransform::fromScale(10, 10)
                       * QTransform::fromTranslate(30, 30);
        shape->draw(context);
        painter.end();
        const int from = clipped ? 5 : 0, to = clipped ? 55 : 60;
        for (int y = from; y < to; y += 7)
            for (int x = from; x < to; x += 7)
                COMPARE_PIXEL(image, x, y, green);
    }
}

void ShapeTest::strokeClosedAtItsStart()
{
    // DefineShape4: a 10-pixel green square outline with flat caps and
    // mitred joins, starting and ending at its top left corner.
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(0);
    w.u8(1).u16(200);
    w.ub(2, 1).ub(2, 2).flag(false).flag(false).flag(false).flag(false);
    w.ub(5, 0).flag(false).ub(2, 1);
    w.u16(3 * 256).rgba(green);
    w.ub(4, 0).ub(4, 1);
    w.styleChange(-1, -1, 1, true, 1000, 1000, 0, 1);
    w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
    w.endShape();
    const auto shape = decode(83, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {200, 200});
    COMPARE_PIXEL(image, 47, 47, green);             // the corner where the stroke starts and ends
    COMPARE_PIXEL(image, 152, 47, green);            // another corner, always joined
    COMPARE_PIXEL(image, 100, 48, green);
    COMPARE_PIXEL(image, 100, 100, Qt::white);
}

void ShapeTest::strokeScaling_data()
{
    QTest::addColumn<bool>("noHScale");
    QTest::addColumn<bool>("noVScale");
    QTest::addColumn<int>("verticalLineHalfWidth");      // pixels, drawn at scale 0.1 x 0.025
    QTest::addColumn<int>("horizontalLineHalfWidth");
    QTest::newRow("scaling") << false << false << 10 << 3;
    QTest::newRow("no vertical scaling") << false << true << 10 << 5;
    QTest::newRow("no horizontal scaling") << true << false << 5 << 3;
    QTest::newRow("no scaling") << true << true << 5 << 5;
}

void ShapeTest::strokeScaling()
{
    QFETCH(bool, noHScale);
    QFETCH(bool, noVScale);
    QFETCH(int, verticalLineHalfWidth);
    QFETCH(int, horizontalLineHalfWidth);
    // A vertical and a horizontal green line 200 twips wide, drawn stretched
    // four times as much across as down.
    SwfWriter w;
    w.u16(1).rect(0, 4000, 0, 4000).rect(0, 4000, 0, 4000).u8(0);
    w.u8(0);
    w.u8(1).u16(200);
    w.ub(2, 1).ub(2, 0).flag(false).flag(noHScale).flag(noVScale).flag(false);
    w.ub(5, 0).flag(false).ub(2, 1);
    w.rgba(green);
    w.ub(4, 0).ub(4, 1);
    w.styleChange(-1, -1, 1, true, 1000, 400, 0, 1);
    w.lineTo(0, 3200);
    w.styleChange(-1, -1, -1, true, 1400, 4000, 0, 1);
    w.lineTo(600, 0);
    w.endShape();
    const auto shape = decode(83, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {200, 120}, QTransform::fromScale(0.1, 0.025));
    // The vertical line is centred at x = 100 px, the horizontal one at y = 100 px.
    const int v = verticalLineHalfWidth, h = horizontalLineHalfWidth;
    COMPARE_PIXEL(image, 100 + v - 2, 50, green);
    COMPARE_PIXEL(image, 100 + v + 2, 50, Qt::white);
    COMPARE_PIXEL(image, 170, 100 + h - 2, green);
    COMPARE_PIXEL(image, 170, 100 + h + 2, Qt::white);
}

void ShapeTest::colourTransformOfSolidFill()
{
    const QByteArray body = shapeBody({QColor(100, 50, 200)}, {}, [](SwfWriter &w) {
        w.styleChange(-1, 1, -1, true, 0, 0);
        w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
    });
    const auto shape = decode(32, body);
    QVERIFY(shape);
    swf::ColorTransform cx;
    cx.rMult = 512;                  // doubled
    cx.gAdd = 100;
    cx.bMult = 0;
    cx.bAdd = 10;
    const QImage image = render(*shape, {120, 120}, QTransform::fromScale(0.05, 0.05), cx);
    COMPARE_PIXEL(image, 50, 50, QColor(200, 150, 10));

    cx = {};
    cx.aMult = 128;                  // half transparent over white
    const QImage faded = render(*shape, {120, 120}, QTransform::fromScale(0.05, 0.05), cx);
    COMPARE_PIXEL(faded, 50, 50, QColor(177, 152, 227));
}

void ShapeTest::gradientSpread_data()
{
    QTest::addColumn<int>("spread");
    QTest::addColumn<int>("grey1250");   // at 1.25 times the gradient's length
    QTest::newRow("pad") << 0 << 255;
    QTest::newRow("reflect") << 1 << 191;
    QTest::newRow("repeat") << 2 << 64;
}

void ShapeTest::gradientSpread()
{
    QFETCH(int, spread);
    QFETCH(int, grey1250);
    // A black-to-white linear gradient over x 0..1000 twips, filling x 0..2000.
    SwfWriter w;
    w.u16(1).rect(0, 2000, 0, 1000);
    w.u8(1).u8(0x10).matrix(1000.0 / 32768, 1000.0 / 32768, 500, 0);
    w.ub(2, spread).ub(2, 0).ub(4, 2);
    w.u8(0).rgba(Qt::black).u8(255).rgba(Qt::white);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(1, -1, -1, true, 0, 0, 1, 0);
    w.lineTo(0, 1000).lineTo(2000, 0).lineTo(0, -1000).lineTo(-2000, 0);
    w.endShape();
    const auto shape = decode(32, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {100, 50});
    auto grey = [&](int x) { return qGreen(image.pixel(x, 25)); };
    QVERIFY2(std::abs(grey(25) - 128) <= 6, QByteArray::number(grey(25)));   // half way
    QVERIFY2(grey(1) < 10, QByteArray::number(grey(1)));
    QVERIFY2(std::abs(grey(62) - grey1250) <= 8, QByteArray::number(grey(62)));
}

void ShapeTest::radialGradient()
{
    // Red at the centre to blue at the rim, the circle of radius 1000 twips at (1000, 1000).
    SwfWriter w;
    w.u16(1).rect(0, 2000, 0, 2000);
    w.u8(1).u8(0x12).matrix(2000.0 / 32768, 2000.0 / 32768, 1000, 1000);
    w.ub(2, 0).ub(2, 0).ub(4, 2);
    w.u8(0).rgb(red).u8(255).rgb(blue);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(1, -1, -1, true, 0, 0, 1, 0);
    w.lineTo(0, 2000).lineTo(2000, 0).lineTo(0, -2000).lineTo(-2000, 0);
    w.endShape();
    const auto shape = decode(22, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {100, 100});
    QVERIFY2(qRed(image.pixel(50, 50)) > 240 && qBlue(image.pixel(50, 50)) < 15,
             testsupport::describe(image.pixel(50, 50)));
    COMPARE_PIXEL(image, 2, 2, blue);           // corner, beyond the circle: padded
    const QRgb half = image.pixel(75, 50);      // half the radius
    QVERIFY2(std::abs(qRed(half) - 128) < 12 && std::abs(qBlue(half) - 128) < 12,
             testsupport::describe(half));
}

void ShapeTest::gradientBlendsStraightComponents()
{
    // Opaque blue to transparent red over x 0..2000: half way the colour is
    // half blue, half red (not blue fading out), at half alpha.
    SwfWriter w;
    w.u16(1).rect(0, 2000, 0, 1000);
    w.u8(1).u8(0x10).matrix(2000.0 / 32768, 2000.0 / 32768, 1000, 0);
    w.ub(2, 0).ub(2, 0).ub(4, 2);
    w.u8(0).rgba(QColor(0, 0, 255, 255)).u8(255).rgba(QColor(255, 0, 0, 0));
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(1, -1, -1, true, 0, 0, 1, 0);
    w.lineTo(0, 1000).lineTo(2000, 0).lineTo(0, -1000).lineTo(-2000, 0);
    w.endShape();
    const auto shape = decode(32, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {100, 50});
    QVERIFY2(testsupport::near(image.pixel(50, 25), QColor(191, 128, 191), 8),
             testsupport::describe(image.pixel(50, 25)));
}

void ShapeTest::gradientRatiosOutOfOrder_data()
{
    QTest::addColumn<QVector<int>>("ratios");
    QTest::addColumn<QVector<QColor>>("colors");
    QTest::addColumn<QColor>("left");       // a quarter along the gradient
    QTest::addColumn<QColor>("right");      // past its end
    const QColor green(0, 255, 0);
    QTest::newRow("falling ratio: a hard step")
        << QVector<int>{127, 0} << QVector<QColor>{red, green} << red << green;
    QTest::newRow("stops piled at the end: the first wins")
        << QVector<int>{254, 0, 0} << QVector<QColor>{red, blue, green} << red << blue;
    QTest::newRow("no stops: black") << QVector<int>{} << QVector<QColor>{} << QColor(Qt::black)
                                     << QColor(Qt::black);
}

void ShapeTest::gradientRatiosOutOfOrder()
{
    QFETCH(QVector<int>, ratios);
    QFETCH(QVector<QColor>, colors);
    QFETCH(QColor, left);
    QFETCH(QColor, right);
    // A linear gradient over x 0..1000 twips, filling x 0..2000.
    SwfWriter w;
    w.u16(1).rect(0, 2000, 0, 1000);
    w.u8(1).u8(0x10).matrix(1000.0 / 32768, 1000.0 / 32768, 500, 0);
    w.ub(2, 0).ub(2, 0).ub(4, ratios.size());
    for (int i = 0; i < ratios.size(); ++i)
        w.u8(ratios[i]).rgb(colors[i]);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(1, -1, -1, true, 0, 0, 1, 0);
    w.lineTo(0, 1000).lineTo(2000, 0).lineTo(0, -1000).lineTo(-2000, 0);
    w.endShape();
    const auto shape = decode(22, w.data());
    QVERIFY(shape);
    const QImage image = render(*shape, {100, 50});
    COMPARE_PIXEL(image, 12, 25, left);
    COMPARE_PIXEL(image, 80, 25, right);
}

void ShapeTest::smallestStylesFitTheirTag()
{
    // Three fill styles of three and four bytes and no edges: the style
    // counts are checked against the bytes left without refusing this.
    SwfWriter w;
    w.u16(1).rect(0, 10, 0, 10);
    w.u8(3).u8(0x10).u8(0).u8(0);            // gradient, identity matrix, no stops
    w.u8(0x41).u16(3).u8(0);                 // bitmap 3, identity matrix
    w.u8(0x43).u16(3).u8(0);
    w.u8(0).u8(0).u8(0);                     // no line styles, no bits, end
    QVERIFY(decode(32, w.data()));
}

void ShapeTest::styleIndexOutOfRangeIsIgnored()
{
    const QByteArray body = shapeBody({red}, {{20, blue}}, [](SwfWriter &w) {
        w.styleChange(9, 12, 7, true, 0, 0);    // none of these exists
        w.lineTo(2000, 0).lineTo(0, 2000).lineTo(-2000, 0).lineTo(0, -2000);
        w.styleChange(0, 1, 0, true, 0, 0);
        w.lineTo(1000, 0).lineTo(0, 1000).lineTo(-1000, 0).lineTo(0, -1000);
    });
    const auto shape = decode(32, body);
    QVERIFY(shape);
    const QImage image = render(*shape, {120, 120});
    COMPARE_PIXEL(image, 25, 25, red);
    COMPARE_PIXEL(image, 75, 75, Qt::white);
}

void ShapeTest::truncatedTagThrows()
{
    SwfWriter w;
    w.u16(1).rect(0, 2000, 0, 2000);
    w.u8(2).u8(0x10).matrix(0.1, 0.1, 5, 5).ub(2, 1).ub(2, 1).ub(4, 2);
    w.u8(0).rgba(red).u8(255).rgba(blue);
    w.u8(0).rgba(green);
    w.u8(1).u16(40).rgba(blue);
    w.ub(4, 2).ub(4, 1);
    w.styleChange(1, 2, 1, true, 0, 0, 2, 1);
    w.lineTo(2000, 0).curveTo(0, 1000, 0, 1000).lineTo(-2000, 0).lineTo(0, -2000);
    w.endShape();
    const QByteArray body = w.data();
    QVERIFY(decode(32, body));
    for (int length = 0; length < body.size(); ++length)
        QVERIFY_THROWS_EXCEPTION(swf::DecodeError, decode(32, body.left(length)));
}

void ShapeTest::garbageNeverCrashes()
{
    // Random bodies must either decode or throw DecodeError, whatever they hold.
    QRandomGenerator random(1234);
    int decoded = 0;
    for (int tag : {2, 22, 32, 83}) {
        for (int i = 0; i < 3000; ++i) {
            QByteArray body(int(random.bounded(1, 200)), Qt::Uninitialized);
            for (char &c : body)
                c = char(random.bounded(256));
            try {
                if (auto c = decode(tag, body)) {
                    render(*c, {16, 16});
                    ++decoded;
                }
            } catch (const swf::DecodeError &) {
            }
        }
    }
    QVERIFY(decoded < 4 * 3000);
}

void ShapeTest::clipPathCoversFills()
{
    const auto shape = decode(32, shapeBody({red, blue}, {}, [](SwfWriter &w) {
        writeEdges(w, twoSquares());
    }));
    QVERIFY(shape);
    const QPainterPath area = shape->clipPath();
    QVERIFY(area.contains(QPointF(400, 600)));
    QVERIFY(area.contains(QPointF(1400, 600)));
    QVERIFY(area.contains(QPointF(2000, 600)));
    QVERIFY(!area.contains(QPointF(2500, 600)));
    QVERIFY(!area.contains(QPointF(100, 100)));

    // A ring (fill 1) around a square of fill 2, sharing its inner edges:
    // the hole of the ring is covered by the square.
    const QVector<Edge> ring = {
        {{0, 0}, {2000, 0}, 0, 1, {}},
        {{2000, 0}, {2000, 2000}, 0, 1, {}},
        {{2000, 2000}, {0, 2000}, 0, 1, {}},
        {{0, 2000}, {0, 0}, 0, 1, {}},
        {{500, 500}, {1500, 500}, 1, 2, {}},
        {{1500, 500}, {1500, 1500}, 1, 2, {}},
        {{1500, 1500}, {500, 1500}, 1, 2, {}},
        {{500, 1500}, {500, 500}, 1, 2, {}},
    };
    const auto ringShape = decode(32, shapeBody({red, blue}, {}, [&](SwfWriter &w) { writeEdges(w, ring); }));
    QVERIFY(ringShape);
    const QPainterPath ringArea = ringShape->clipPath();
    QVERIFY(ringArea.contains(QPointF(250, 250)));
    QVERIFY(ringArea.contains(QPointF(1000, 1000)));
    QVERIFY(!ringArea.contains(QPointF(2500, 1000)));
    const QImage image = render(*ringShape, {120, 120});
    COMPARE_PIXEL(image, 12, 12, red);
    COMPARE_PIXEL(image, 50, 50, blue);
}

QTEST_MAIN(ShapeTest)
#include "tst_shapes.moc"
