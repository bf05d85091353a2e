#include "SwfWriter.h"
#include "TestSupport.h"

#include <QPolygonF>
#include <QTest>

using testsupport::decode;

namespace {

using testsupport::renderAliased;

// A DefineShape3 body: one black fill between a quadratic curve from `from`
// to `to` bending towards `control` and the straight line back (twips).
QByteArray curvedCap(QPoint from, QPoint control, QPoint to)
{
    SwfWriter w;
    w.u16(1).rect(0, 20000, 0, 20000);
    w.u8(1).u8(0x00).rgba(Qt::black);
    w.u8(0);
    w.ub(4, 1).ub(4, 0);
    w.styleChange(-1, 1, -1, true, from.x(), from.y(), 1, 0);
    w.curveTo(control.x() - from.x(), control.y() - from.y(), to.x() - control.x(), to.y() - control.y());
    w.lineTo(from.x() - to.x(), from.y() - to.y());
    w.endShape();
    return w.data();
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + ab * t);
    return std::hypot(d.x(), d.y());
}

} // namespace

class TestEdgeAliased : public QObject
{
    Q_OBJECT

private slots:
    void pixelsAreInOrOutByTheirCentres_data();
    void pixelsAreInOrOutByTheirCentres();
};

void TestEdgeAliased::pixelsAreInOrOutByTheirCentres_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("control");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<double>("scale");     // device pixels per twip

    QTest::newRow("shallow") << QPoint(400, 4000) << QPoint(4000, 1000) << QPoint(7600, 4000) << 0.05;
    QTest::newRow("deep") << QPoint(400, 400) << QPoint(4000, 9000) << QPoint(7600, 400) << 0.05;
    QTest::newRow("enlarged") << QPoint(100, 100) << QPoint(900, 1900) << QPoint(1700, 100) << 0.25;
    QTest::newRow("lopsided") << QPoint(400, 4000) << QPoint(7000, 200) << QPoint(2000, 7000) << 0.05;
}

void TestEdgeAliased::pixelsAreInOrOutByTheirCentres()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, control);
    QFETCH(QPoint, to);
    QFETCH(double, scale);
    const swf::CharacterPtr shape = decode(32, curvedCap(from, control, to));
    QVERIFY(shape);
    // Off the pixel grid, so that no centre falls on a line by chance.
    const QTransform matrix(scale, 0, 0, scale, 0.37, 0.29);
    const QImage image = renderAliased(*shape, QSize(460, 460), matrix);

    // Players cut the curve into equal steps of its parameter, the fewest
    // that keep every chord within a tenth of a pixel of the curve (a
    // quadratic's chord strays at most a quarter of |from - 2 control + to|).
    const QPointF a = matrix.map(QPointF(from)), c = matrix.map(QPointF(control)), b = matrix.map(QPointF(to));
    const QPointF bend = a - 2 * c + b;
    const int steps = std::max(1, int(std::ceil(std::sqrt(std::hypot(bend.x(), bend.y()) / 4 / 0.1))));
    QPolygonF outline;
    for (int k = 0; k <= steps; ++k) {
        const double t = double(k) / steps, u = 1 - t;
        outline << a * (u * u) + c * (2 * u * t) + b * (t * t);
    }
    outline << a;

    int wrong = 0, black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QPointF centre(x + 0.5, y + 0.5);
            double nearest = 1e9;
            for (int i = 0; i + 1 < outline.size(); ++i)
                nearest = std::min(nearest, distanceToSegment(centre, outline[i], outline[i + 1]));
            // Rasterisers work in fixed point: centres within a fraction
            // of its step from a line may go either way.
            if (nearest < 1.0 / 128)
                continue;
            const bool inside = outline.containsPoint(centre, Qt::OddEvenFill);
            const QRgb pixel = image.pixel(x, y);
            black += testsupport::near(pixel, Qt::black, 0);
            if (!testsupport::near(pixel, inside ? Qt::black : Qt::white, 0) && ++wrong <= 5)
                qWarning("pixel %d,%d is %s, its centre %s by %g", x, y, testsupport::describe(pixel).constData(),
                         inside ? "inside" : "outside", nearest);
        }
    }
    QVERIFY(black > 500);
    QCOMPARE(wrong, 0);
}

QTEST_MAIN(TestEdgeAliased)
#include "tst_edges_aliased.moc"
