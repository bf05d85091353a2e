// swfrender's clicks: a press and release at a stage pixel before a frame
// runs, the picture then showing the button's state and what its actions did;
// the pictures it refuses to make; and its traces: what a movie's scripts
// trace, until it asks to quit.
#include "ActionWriter.h"
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
    void picturesPastTheLimit_data();
    void picturesPastTheLimit();
    void trace_data();
    void trace();
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

void TestSwfRender::picturesPastTheLimit_data()
{
    QTest::addColumn<int>("stageWidth");    // twips
    QTest::addColumn<int>("stageHeight");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("refused");   // the size named, empty when drawn
    QTest::newRow("13 million by 5 million pixels") << 260000000 << 100000000 << QStringList()
                                                    << QStringLiteral("13000000 x 5000000");
    QTest::newRow("drawn smaller") << 260000000 << 100000000 << QStringList{"--size", "130x50"} << QString();
    QTest::newRow("too wide") << 2000 << 2000 << QStringList{"--size", "16385x10"}
                              << QStringLiteral("16385 x 10");
    QTest::newRow("past 256 MiB") << 2000 << 2000 << QStringList{"--size", "16384x4097"}
                                  << QStringLiteral("16384 x 4097");
}

void TestSwfRender::picturesPastTheLimit()
{
    QFETCH(int, stageWidth);
    QFETCH(int, stageHeight);
    QFETCH(QStringList, args);
    QFETCH(QString, refused);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("palco.swf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(MovieBuilder().showFrame().end().build('F', stageWidth, stageHeight));
    file.close();
    const QString out = dir.filePath(QStringLiteral("out.png"));
    QProcess p;
    p.start(QStringLiteral(SWFRENDER), QStringList{file.fileName(), out} + args);
    QVERIFY(p.waitForFinished(30000));
    const QString said = QString::fromLocal8Bit(p.readAllStandardError());
    if (refused.isEmpty()) {
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QFile::exists(out));
        return;
    }
    // One line, naming the size, and no picture.
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(said.startsWith(QStringLiteral("swfrender: a picture of %1 pixels is beyond").arg(refused)),
             qPrintable(said));
    QCOMPARE(said.count(u'\n'), 1);
    QVERIFY(!QFile::exists(out));
}

void TestSwfRender::trace_data()
{
    QTest::addColumn<int>("quitFrame");  // 0: none
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray all = "one\ntwo\nthree\nundefined\n2\n3\n4\n";
    QTest::newRow("every frame") << 0 << QStringList{"--frames", "4"} << all;
    QTest::newRow("two frames") << 0 << QStringList{"--frames", "2"} << QByteArray("one\ntwo\nthree\nundefined\n2\n");
    QTest::newRow("quit") << 3 << QStringList{"--frames", "10"} << QByteArray("one\ntwo\nthree\nundefined\n2\n3\n");
    // The reference player hears a quit of the first frame after the second.
    QTest::newRow("quit in the first frame") << 1 << QStringList{"--frames", "10"}
                                              << QByteArray("one\ntwo\nthree\nundefined\n2\n");
}

void TestSwfRender::trace()
{
    QFETCH(int, quitFrame);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, expected);
    const QByteArray quit = ActionWriter().push({QStringLiteral("FSCommand:quit"), QString()})
                                .record(0x9A, QByteArray(1, '\0')).bytes();
    MovieBuilder m(7);
    m.actions(ActionWriter().traceValue(QStringLiteral("one\rtwo\r\nthree")).traceValue(QVariant()).bytes()
              + (quitFrame == 1 ? quit : QByteArray())).showFrame();
    for (int frame = 2; frame <= 4; ++frame)
        m.actions(ActionWriter().traceValue(QString::number(frame)).bytes()
                  + (quitFrame == frame ? quit : QByteArray())).showFrame();
    m.end();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("traccia.swf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m.build());
    file.close();
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QProcess p;
    p.start(QStringLiteral(SWFRENDER), QStringList{"--trace", out, file.fileName()} + args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QFile result(out);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), expected);
}

QTEST_MAIN(TestSwfRender)
#include "tst_swfrender.moc"
