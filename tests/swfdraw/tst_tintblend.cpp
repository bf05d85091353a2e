// Tinting a picture and compositing it in one pass gives the bytes that
// tinting it into an image and drawing that with QPainter give.
#include "render/TintBlend.h"

#include <QPainter>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>

using swf::ColorTransform;
using swf::TintBlend;

namespace {

// Premultiplied pixels in runs (so that whole groups of four are opaque or
// empty, as in real pictures, as well as mixed): opaque, transparent, and
// partly covered with colours up to their alpha.
QImage randomPicture(QSize size, QRandomGenerator &random, bool allPartial = false)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    int run = 0, kind = 0;
    for (int y = 0; y < size.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            if (run-- <= 0) {
                run = random.bounded(1, 20);
                kind = allPartial ? 2 : random.bounded(3);
            }
            const int a = kind == 0 ? 255 : kind == 1 ? 0 : random.bounded(1, 255);
            line[x] = qRgba(random.bounded(a + 1), random.bounded(a + 1), random.bounded(a + 1), a);
        }
    }
    return image;
}

ColorTransform randomTransform(QRandomGenerator &random, bool adds)
{
    ColorTransform cx;
    int *mult[] = {&cx.rMult, &cx.gMult, &cx.bMult};
    int *add[] = {&cx.rAdd, &cx.gAdd, &cx.bAdd};
    for (int i = 0; i < 3; ++i) {
        *mult[i] = random.bounded(257);
        if (adds)
            *add[i] = random.bounded(255 - 255 * *mult[i] / 256 + 1);
    }
    return cx;
}

QString firstDifference(const QImage &a, const QImage &b)
{
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 instead of %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 8, 16, QChar(u'0')).arg(b.pixel(x, y), 8, 16, QChar(u'0'));
        }
    }
    return {};
}

// The painter on `target` set up as a blit finds it: opacity, and a clip
// rectangle unless it is empty.
void prepare(QPainter &painter, double opacity, const QRectF &clip)
{
    if (!clip.isEmpty())
        painter.setClipRect(clip);
    painter.setOpacity(opacity);
}

} // namespace

class TestTintBlend : public QObject
{
    Q_OBJECT

private slots:
    void tint_data();
    void tint();
    void sameAsDrawImage_data();
    void sameAsDrawImage();
    void clipEdgesRoundedAsQt_data();
    void clipEdgesRoundedAsQt();
    void declines_data();
    void declines();
};

void TestTintBlend::tint_data()
{
    QTest::addColumn<bool>("adds");
    QTest::addColumn<int>("width");

    for (bool adds : {false, true}) {
        for (int width : {5, 13, 38})
            QTest::addRow("%s, %d wide", adds ? "added" : "multiplied", width) << adds << width;
    }
}

// Opaque pixels take the transform's own colours; partly covered ones
// keep their alpha and take the transform of their colour within
// rounding. Whether a pixel falls in a group of four or in the rest of
// its row changes nothing.
void TestTintBlend::tint()
{
    QFETCH(bool, adds);
    QFETCH(int, width);

    QRandomGenerator random(uint(width * 2 + adds));
    const QImage picture = randomPicture(QSize(width, 9), random);
    for (int round = 0; round < 8; ++round) {
        const ColorTransform cx = randomTransform(random, adds);
        QVERIFY(TintBlend::keepsInRange(cx));
        const TintBlend tint(cx);
        QImage whole;
        tint.apply(picture, whole);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb p = picture.pixel(x, y), t = whole.pixel(x, y);
                const int a = qAlpha(p);
                QCOMPARE(qAlpha(t), a);
                if (a == 255) {
                    QCOMPARE(QColor(t), cx.apply(QColor(p)));
                    continue;
                }
                const int in[] = {qRed(p), qGreen(p), qBlue(p)}, out[] = {qRed(t), qGreen(t), qBlue(t)};
                const int mult[] = {cx.rMult, cx.gMult, cx.bMult}, add[] = {cx.rAdd, cx.gAdd, cx.bAdd};
                // Two products cut to whole numbers, and alpha taken as
                // 256ths: less than 2.5 off.
                for (int c = 0; c < 3; ++c) {
                    const double exact = std::min(in[c] * mult[c] / 256.0 + add[c] * a / 255.0, double(a));
                    QVERIFY2(std::abs(out[c] - exact) < 2.5 && out[c] <= a,
                             qPrintable(QStringLiteral("(%1, %2) channel %3: %4 for %5").arg(x).arg(y).arg(c)
                                            .arg(out[c]).arg(exact)));
                }
            }
        }
        for (int skip = 1; skip < 4 && skip < width; ++skip) {
            QImage part;
            tint.apply(picture, QRect(skip, 0, width - skip, picture.height()), part);
            QCOMPARE(part.copy(0, 0, width - skip, picture.height()),
                     whole.copy(skip, 0, width - skip, picture.height()));
        }
    }
}

void TestTintBlend::sameAsDrawImage_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<double>("opacity");
    QTest::addColumn<bool>("adds");
    QTest::addColumn<QRectF>("clip");
    QTest::addColumn<bool>("partialOnly");

    // The target is 61 x 47; pictures land inside it, across each edge
    // and past two corners.
    const QPoint places[] = {{3, 2}, {-5, 4}, {40, -3}, {30, 20}, {-2, -7}};
    const int widths[] = {1, 3, 4, 7, 18, 37, 75};
    const double opacities[] = {1.0, 0.5, 0.3, 0.75, 1.0 / 256, 0.999};
    int row = 0;
    for (int w : widths) {
        for (const QPoint &at : places) {
            for (double opacity : opacities) {
                for (int variant = 0; variant < 4; ++variant) {
                    const bool adds = variant & 1;
                    const QRectF clip = variant & 2 ? QRectF(6, 5, 33, 30) : QRectF();
                    QTest::addRow("w%d at(%d,%d) o%g%s%s", w, at.x(), at.y(), opacity, adds ? " add" : "",
                                  clip.isEmpty() ? "" : " clip")
                        << w << 5 + (row++ % 31) << at << opacity << adds << clip << false;
                }
            }
        }
    }
    // Every pixel partly covered: each group of four takes the blending
    // path, not the stores or skips.
    for (double opacity : opacities)
        QTest::addRow("partial o%g", opacity) << 41 << 13 << QPoint(2, 3) << opacity << true << QRectF() << true;
}

void TestTintBlend::sameAsDrawImage()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPoint, at);
    QFETCH(double, opacity);
    QFETCH(bool, adds);
    QFETCH(QRectF, clip);
    QFETCH(bool, partialOnly);

    QRandomGenerator random(uint(qHash(QString::fromLatin1(QTest::currentDataTag()))));
    const QImage picture = randomPicture(QSize(width, height), random, partialOnly);
    const QImage backdrop = randomPicture(QSize(61, 47), random);
    for (int round = 0; round < 4; ++round) {
        const TintBlend tint(randomTransform(random, adds));
        QImage expected = backdrop;
        {
            QImage tinted;
            tint.apply(picture, tinted);
            QPainter painter(&expected);
            prepare(painter, opacity, clip);
            painter.drawImage(at, tinted);
        }
        QImage actual = backdrop;
        {
            QPainter painter(&actual);
            prepare(painter, opacity, clip);
            QVERIFY(tint.blit(painter, at, picture));
        }
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
    }
}

void TestTintBlend::clipEdgesRoundedAsQt_data()
{
    QTest::addColumn<QRectF>("clip");
    QTest::addColumn<bool>("antialias");

    QTest::newRow("halves") << QRectF(4.5, 3.5, 20, 11) << false;
    QTest::newRow("halves, anti-aliased") << QRectF(4.5, 3.5, 20, 11) << true;
    QTest::newRow("fractions") << QRectF(2.3, 7.7, 30.6, 9.49) << true;
    // Rounded edge by edge, the right and bottom edges reach a pixel
    // further than the rounded width and height would.
    QTest::newRow("edges past the rounded size") << QRectF(1.4, 2.4, 10.2, 5.2) << false;
    QTest::newRow("edges past the rounded size, anti-aliased") << QRectF(25.4, 3.3, 12.2, 20.3) << true;
    QTest::newRow("past the target") << QRectF(-10.2, -3.5, 100, 100) << false;
    QTest::newRow("off the target") << QRectF(60, 5, 10, 10) << false;
}

// A clip given in fractions of a pixel is kept by the raster engine as a
// rectangle of whole pixels; the one-pass blit must round it the same way.
void TestTintBlend::clipEdgesRoundedAsQt()
{
    QFETCH(QRectF, clip);
    QFETCH(bool, antialias);

    QRandomGenerator random(7);
    const QImage picture = randomPicture(QSize(40, 30), random);
    const QImage backdrop = randomPicture(QSize(50, 40), random);
    const TintBlend tint(randomTransform(random, true));
    QImage expected = backdrop, actual = backdrop;
    {
        QImage tinted;
        tint.apply(picture, tinted);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        painter.setClipRect(clip);
        painter.drawImage(QPoint(1, 1), tinted);
    }
    {
        QPainter painter(&actual);
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        painter.setClipRect(clip);
        QVERIFY(tint.blit(painter, QPoint(1, 1), picture));
    }
    QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
}

void TestTintBlend::declines_data()
{
    QTest::addColumn<int>("kind");

    QTest::newRow("two clip rectangles") << 0;
    QTest::newRow("another composition mode") << 1;
    QTest::newRow("a world transform") << 2;
    QTest::newRow("a target without alpha") << 3;
    QTest::newRow("a high-density target") << 4;
    QTest::newRow("a picture not premultiplied") << 5;
    QTest::newRow("a pixmap target") << 6;
}

// Where one pass could not give Qt's pixels, the blit leaves the target
// alone and says so.
void TestTintBlend::declines()
{
    QFETCH(int, kind);

    QRandomGenerator random(11);
    QImage picture = randomPicture(QSize(20, 20), random);
    if (kind == 5)
        picture = picture.convertToFormat(QImage::Format_ARGB32);
    QImage target = randomPicture(QSize(30, 30), random);
    if (kind == 3)
        target = target.convertToFormat(QImage::Format_RGB32);
    if (kind == 4)
        target.setDevicePixelRatio(2);
    const QImage before = target.copy();
    QPixmap pixmap = QPixmap::fromImage(target);
    const TintBlend tint(randomTransform(random, true));
    {
        QPainter painter;
        if (kind == 6)
            painter.begin(&pixmap);
        else
            painter.begin(&target);
        if (kind == 0)
            painter.setClipRegion(QRegion(0, 0, 10, 10) + QRegion(12, 12, 10, 10));
        if (kind == 1)
            painter.setCompositionMode(QPainter::CompositionMode_Plus);
        if (kind == 2)
            painter.translate(0.5, 0);
        QVERIFY(!tint.blit(painter, QPoint(2, 2), picture));
    }
    QCOMPARE(target, before);
    QCOMPARE(pixmap.toImage().convertToFormat(before.format()), before);
}

QTEST_MAIN(TestTintBlend)
#include "tst_tintblend.moc"
