// swfrender's clicks: a press and release at a stage pixel before a frame
// runs, the picture then showing the button's state and what its actions did.
#include "MovieBuilder.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSwfRender : public QObject
{
    Q_OBJECT
private slots:
    void clicks_data();
    void clicks();
};

void TestSwfRender::clicks_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QRgb>("button");
    QTest::addColumn<QRgb>("square");
    const QRgb red = 0xffff0000, yellow = 0xffffff00, white = 0xffffffff, black = 0xff000000;
    QTest::newRow("no click") << QStringList() << 0 << red << white;
    QTest::newRow("on the button, first frame") << QStringList{"--click", "10,10@1"} << 0 << yellow << black;
    QTest::newRow("beside the button") << QStringList{"--click", "45,10@1"} << 0 << red << white;
    QTest::newRow("on the button, later")
        << QStringList{"--frames", "2", "--click", "80,80@1", "--click", "20.5,30@2"} << 0 << yellow << black;
    QTest::newRow("no frame") << QStringList{"--click", "10,10"} << 1 << 0u << 0u;
    QTest::newRow("frame 0") << QStringList{"--click", "10,10@0"} << 1 << 0u << 0u;
    QTest::newRow("past the frames drawn") << QStringList{"--frames", "2", "--click", "10,10@3"} << 1 << 0u << 0u;
}

void TestSwfRender::clicks()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QRgb, button);
    QFETCH(QRgb, square);
    // A button on 0-40 px, red, yellow under the pointer, blue pressed; its
    // release goes to the third frame, which adds a black square on 50-90 px.
    MovieBuilder m;
    m.rectShape(1, 0, 0, 800, 800, 255, 0, 0)
        .rectShape(2, 0, 0, 800, 800, 255, 255, 0)
        .rectShape(3, 0, 0, 800, 800, 0, 0, 255)
        .rectShape(4, 1000, 0, 1800, 800, 0, 0, 0)
        .button2(10, {{1, 1, 1}, {2, 2, 1}, {4, 3, 1}, {8, 1, 2}}, {{0x008, 0, MovieBuilder::gotoFrame(2)}});
    m.place(1, 10).actions(MovieBuilder::stop()).showFrame().showFrame().place(2, 4).showFrame().end();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("bottone.swf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m.build());
    file.close();
    const QString out = dir.filePath(QStringLiteral("out.png"));
    QProcess p;
    p.start(QStringLiteral(SWFRENDER), QStringList{file.fileName(), out} + args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), exitCode);
    if (exitCode == 0) {
        const QImage image(out);
        QCOMPARE(image.pixel(10, 10), button);
        QCOMPARE(image.pixel(70, 20), square);
    }
}

QTEST_MAIN(TestSwfRender)
#include "tst_swfrender.moc"
