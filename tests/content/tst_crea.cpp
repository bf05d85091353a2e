// crea-esercizio, run as a teacher runs it: an exercise made from real
// pictures is found by the game's catalogue scan and played by the
// engine; every refusal leaves the gif folder exactly as it was.
#include "GifWriter.h"
#include "ImageCompare.h"
#include "SlideshowMovie.h"
#include "WavFile.h"

#include <Directory.h>
#include <Player.h>

#include <QDateTime>
#include <QDirIterator>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out, err;
};

Run creaEsercizio(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(BIN_DIR "/crea-esercizio"), args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// Every entry below `root` with its size and time: what a refusal must
// leave unchanged.
QStringList listing(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        out << QStringLiteral("%1 %2 %3").arg(QDir(root).relativeFilePath(info.filePath()))
                   .arg(info.isDir() ? -1 : info.size())
                   .arg(info.lastModified().toMSecsSinceEpoch());
    }
    out.sort();
    return out;
}

// The exercises the game's catalogue scan finds in `gif`.
QStringList catalogue(const QString &gif)
{
    QStringList names;
    for (QString n = platform::Directory::Dir(gif + platform::Directory::separator() + "*.swf", platform::Directory::Folder);
         !n.isEmpty(); n = platform::Directory::Dir())
        if (n != "." && n != "..")
            names << n.chopped(4);
    return names;
}

// The ground colour of picture `k`, seen above the row of discs.
QColor groundOf(int k)
{
    return QColor::fromHsv(k * 70, 120, 250);
}

bool closeTo(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 && std::abs(a.blue() - b.blue()) < 12;
}

// Five pictures of different sizes and formats: a coloured ground with a
// number of discs, so each scene is plain to tell.
QStringList makePictures(const QString &dir)
{
    const QSize sizes[] = {{800, 600}, {640, 480}, {300, 200}, {500, 500}, {1024, 768}};
    const char *formats[] = {"png", "jpg", "gif", "png", "jpg"};
    QStringList paths;
    for (int k = 0; k < 5; ++k) {
        QImage image(sizes[k], QImage::Format_ARGB32);
        image.fill(groundOf(k));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor::fromHsv((k * 70 + 180) % 360, 255, 160));
        p.setPen(QPen(Qt::black, image.width() / 80.0));
        for (int d = 0; d <= k; ++d)
            p.drawEllipse(QPointF(image.width() * (d + 1) / 7.0, image.height() / 2.0), image.width() / 16.0, image.width() / 16.0);
        p.end();
        const QString path = QStringLiteral("%1/scena%2.%3").arg(dir).arg(k + 1).arg(formats[k]);
        // Qt reads GIF but cannot write it.
        if (QLatin1String(formats[k]) == QLatin1String("gif"))
            GifWriter::write(path, image);
        else
            image.save(path);
        paths << path;
    }
    return paths;
}

} // namespace

class TestCrea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void makesAPlayableExercise();
    void refuses_data();
    void refuses();
    void replacesWhenAsked();
    void playsTheTeachersSound();
    void helpInItalian();

private:
    QTemporaryDir m_dir;
    QString m_gif;
    QStringList m_pictures;
};

void TestCrea::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_gif = m_dir.filePath("gif");
    QVERIFY(QDir().mkpath(m_gif));
    m_pictures = makePictures(m_dir.path());
    for (const QString &p : m_pictures)
        QVERIFY(QFileInfo::exists(p));
}

void TestCrea::makesAPlayableExercise()
{
    const Run run = creaEsercizio(QStringList{"gatto"} + m_pictures + QStringList{"--cartella", m_gif});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(catalogue(m_gif), QStringList{"gatto"});
    // Nothing else is left in the folder: no working files.
    QCOMPARE(QDir(m_gif).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"gatto", "gatto.swf"}));

    // The first picture is 4:3, so all five are 320 x 240.
    std::vector<QImage> pictures;
    for (int k = 1; k <= 5; ++k) {
        const QImage image(QStringLiteral("%1/gatto/gatto%2.gif").arg(m_gif).arg(k));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(320, 240));
        QVERIFY2(closeTo(image.pixelColor(160, 40), groundOf(k - 1)), qPrintable(image.pixelColor(160, 40).name() + " " + groundOf(k - 1).name()));
        pictures.push_back(image);
    }

    QString error;
    std::unique_ptr<swf::Player> player = swf::Player::load(m_gif + "/gatto.swf", &error);
    QVERIFY2(player, qPrintable(error));
    QCOMPARE(player->info().stage, QRectF(0, 0, 320 * 20, 240 * 20));
    for (auto it = player->info().skippedTags.begin(); it != player->info().skippedTags.end(); ++it)
        QVERIFY2(it.key() == 69, qPrintable(QStringLiteral("tag %1 skipped").arg(it.key())));
    // Each pause shows its picture, in story order, and then it loops.
    int frame = 0;
    for (int k = 0; k < 5; ++k) {
        for (; frame < SlideshowMovie::holdFrame(k); ++frame)
            player->advance();
        const QImage shown = player->renderImage(QSize(320, 240));
        QVERIFY2(ImageCompare::changedShare(shown, pictures[size_t(k)]) < 0.02, qPrintable(QStringLiteral("picture %1").arg(k + 1)));
        if (k > 0)
            QVERIFY(ImageCompare::changedShare(shown, pictures[size_t(k - 1)]) > 0.05);
    }
    for (; frame < player->info().frameCount + SlideshowMovie::holdFrame(0); ++frame)
        player->advance();
    QVERIFY(ImageCompare::changedShare(player->renderImage(QSize(320, 240)), pictures[0]) < 0.02);
}

void TestCrea::refuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    const QStringList five = m_pictures;
    const QStringList four = m_pictures.mid(0, 4);
    QTest::newRow("slash") << QStringList{"a/b"} + five << "barra";
    QTest::newRow("backslash") << QStringList{"a\\b"} + five << "barra";
    QTest::newRow("dot") << QStringList{"."} + five << "non può essere";
    QTest::newRow("dot dot") << QStringList{".."} + five << "non può essere";
    QTest::newRow("empty") << QStringList{""} + five << "vuoto";
    QTest::newRow("ends in .swf") << QStringList{"cane.swf"} + five << ".swf";
    QTest::newRow("blank") << QStringList{"il cane"} + five << "carattere";
    QTest::newRow("exists") << QStringList{"gatto"} + five << "esiste già";
    QTest::newRow("exists in other case") << QStringList{"GATTO"} + five << "esiste già";
    QTest::newRow("missing picture") << QStringList{"cane"} + four + QStringList{m_dir.filePath("manca.png")} << "non esiste";
    QTest::newRow("unreadable picture") << QStringList{"cane"} + four + QStringList{m_dir.filePath("finta.png")} << "non si può leggere";
    QTest::newRow("four pictures") << QStringList{"cane"} + four << "esattamente 5";
    QTest::newRow("six pictures") << QStringList{"cane"} + five + QStringList{five.first()} << "esattamente 5";
    QTest::newRow("unknown option") << QStringList{"cane"} + five + QStringList{"--veloce"} << "non esiste";
    QTest::newRow("sound not a wav") << QStringList{"cane"} + five + QStringList{"--suono", m_dir.filePath("finta.png")} << "non si può usare";
    QTest::newRow("sound missing") << QStringList{"cane"} + five + QStringList{"--suono", m_dir.filePath("manca.wav")} << "il suono";
    QTest::newRow("sound not given") << QStringList{"cane"} + five + QStringList{"--suono"} << "dopo --suono";
    QTest::newRow("no such folder") << QStringList{"cane"} + five + QStringList{"--cartella", m_dir.filePath("nessuna")} << "non esiste";
}

void TestCrea::refuses()
{
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    QFile fake(m_dir.filePath("finta.png"));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("this is a letter, not a picture");
    fake.close();
    if (!args.contains("--cartella"))
        args << "--cartella" << m_gif;

    const QStringList before = listing(m_dir.path());
    const Run run = creaEsercizio(args);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QCOMPARE(listing(m_dir.path()), before);
}

void TestCrea::replacesWhenAsked()
{
    QStringList reversed(m_pictures.rbegin(), m_pictures.rend());
    const Run run = creaEsercizio(QStringList{"gatto"} + reversed + QStringList{"--cartella", m_gif, "--sostituisci"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(catalogue(m_gif), QStringList{"gatto"});
    // Now the last scene comes first, at the size of the new first picture.
    const QImage first(m_gif + "/gatto/gatto1.gif");
    QCOMPARE(first.size(), QSize(320, 240));
    QVERIFY(closeTo(first.pixelColor(160, 40), groundOf(4)));
    QCOMPARE(QDir(m_gif).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), (QStringList{"gatto", "gatto.swf"}));
}

// A narration longer than one round of pictures: the pictures are held
// longer, and the movie plays the sound, resampled to a movie's rate.
void TestCrea::playsTheTeachersSound()
{
    std::vector<int16_t> voice(8000 * 20);
    for (size_t i = 0; i < voice.size(); ++i)
        voice[i] = int16_t(8000 * std::sin(2 * M_PI * 300 * double(i) / 8000));
    QFile wav(m_dir.filePath("voce.wav"));
    QVERIFY(wav.open(QIODevice::WriteOnly));
    wav.write(WavFile::pcm16Mono(voice, 8000));
    wav.close();
    const Run run = creaEsercizio(QStringList{"voce"} + m_pictures + QStringList{"--cartella", m_gif, "--suono", wav.fileName()});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    std::unique_ptr<swf::Player> player = swf::Player::load(m_gif + "/voce.swf");
    QVERIFY(player && player->hasSound() && player->info().soundProblems.isEmpty());
    const int frames = player->info().frameCount;
    QVERIFY2(frames >= 20 * 12, qPrintable(QString::number(frames)));
    const std::vector<int16_t> mix = player->recordSound(frames);
    int crossings = 0, loud = 0;
    for (size_t i = 2; i < size_t(20 * 44100) * 2; i += 2) {
        crossings += mix[i - 2] < 0 && mix[i] >= 0;
        loud = std::max(loud, int(mix[i]));
    }
    QVERIFY2(std::abs(crossings - 20 * 300) < 60, qPrintable(QString::number(crossings)));
    QVERIFY(std::abs(loud - 8000) < 400);
}

void TestCrea::helpInItalian()
{
    const Run run = creaEsercizio({"--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Uso: crea-esercizio NOME"));
    QVERIFY(run.out.contains("--sostituisci"));
}

QTEST_MAIN(TestCrea)
#include "tst_crea.moc"
