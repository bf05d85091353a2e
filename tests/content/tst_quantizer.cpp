// Palettes for the GIF pictures: exact when the picture has few colours,
// close when it has many, and the same every time.
#include "ColorQuantizer.h"
#include "GifWriter.h"
#include "ImageCompare.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage cartoon()
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(QColor(120, 190, 250));
    QPainter p(&image);
    p.fillRect(0, 80, 160, 40, QColor(90, 180, 70));
    p.fillRect(60, 30, 40, 50, QColor(240, 60, 60));
    p.fillRect(70, 10, 20, 20, QColor(255, 220, 40));
    return image;
}

// A sky-to-sunset gradient shaded across, and antialiased circles: tens
// of thousands of colours, as in a drawn scene.
QImage painting()
{
    QImage image(320, 320, QImage::Format_RGB32);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 320; ++x)
            image.setPixel(x, y, qRgb(40 + y * 200 / 320, 90 + x * 60 / 320 + y * 40 / 320, 230 - y * 150 / 320));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor::fromHsv(i * 30, 200, 240));
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(QPointF(30 + (i % 4) * 85, 40 + (i / 4) * 100), 28, 28);
    }
    return image;
}

int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class TestQuantizer : public QObject
{
    Q_OBJECT

private slots:
    void fewColoursSurviveExactly();
    void manyColoursStayClose();
    void sameResultEveryTime();
    void ditheringSmoothsGradients();
};

void TestQuantizer::fewColoursSurviveExactly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cartoon.gif");
    QString error;
    QVERIFY2(GifWriter::write(path, cartoon(), &error), qPrintable(error));
    const QImage back(path);
    QCOMPARE(back.size(), cartoon().size());
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), cartoon());
    QVERIFY(QFileInfo(path).permissions() & QFileDevice::ReadOther);
}

void TestQuantizer::manyColoursStayClose()
{
    const QImage source = painting();
    QVERIFY(colourCount(source) > 5000);
    const ColorQuantizer::Result q = ColorQuantizer::quantize(source);
    QCOMPARE(int(q.palette.size()), 256);
    QCOMPARE(int(q.indices.size()), source.width() * source.height());

    QTemporaryDir dir;
    const QString path = dir.filePath("painting.gif");
    QVERIFY(GifWriter::write(path, source));
    const QImage back(path);
    QVERIFY(colourCount(back) <= 256);
    QVERIFY2(ImageCompare::difference(back, source) < 2.5, qPrintable(QString::number(ImageCompare::difference(back, source))));
    // The flat colours of outlines and fills are kept, not blended away.
    QCOMPARE(back.pixelColor(30, 40), source.pixelColor(30, 40));
}

void TestQuantizer::sameResultEveryTime()
{
    const ColorQuantizer::Result a = ColorQuantizer::quantize(painting());
    const ColorQuantizer::Result b = ColorQuantizer::quantize(painting());
    QVERIFY(a.palette == b.palette);
    QVERIFY(a.indices == b.indices);
}

QImage rebuilt(const ColorQuantizer::Result &q)
{
    QImage image(q.width, q.height, QImage::Format_RGB32);
    for (int y = 0; y < q.height; ++y)
        for (int x = 0; x < q.width; ++x)
            image.setPixel(x, y, q.palette[q.indices[size_t(y) * size_t(q.width) + size_t(x)]]);
    return image;
}

void TestQuantizer::ditheringSmoothsGradients()
{
    // A wide, slow gradient: bands without dithering.
    QImage source(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            source.setPixel(x, y, qRgb(x, 255 - x / 2, (x * 3 + y * 2) % 256));
    const ColorQuantizer::Result plain = ColorQuantizer::quantize(source, 16, false);
    const ColorQuantizer::Result dithered = ColorQuantizer::quantize(source, 16, true);
    QVERIFY(plain.palette == dithered.palette);
    // Seen from a distance (averaged over 4 x 4 pixels) the dithered
    // picture is the closer one.
    auto far = [](const QImage &i) { return i.scaled(i.size() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); };
    const double plainError = ImageCompare::difference(far(rebuilt(plain)), far(source));
    const double ditheredError = ImageCompare::difference(far(rebuilt(dithered)), far(source));
    QVERIFY2(ditheredError < plainError * 0.7, qPrintable(QStringLiteral("%1 vs %2").arg(ditheredError).arg(plainError)));
}

QTEST_MAIN(TestQuantizer)
#include "tst_quantizer.moc"
