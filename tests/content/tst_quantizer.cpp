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

QTEST_MAIN(TestQuantizer)
#include "tst_quantizer.moc"
