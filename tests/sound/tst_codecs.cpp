// The codecs, each on a tone of known pitch, level and length: PCM 8 and
// 16 bit, ADPCM 2 to 5 bits, MP3 made here with lame (event and stream),
// at the four rates, mono and stereo.
#include "AdpcmEncoder.h"
#include "MovieBuilder.h"
#include "SoundProbe.h"
#include "WavFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int Codec = 4, Rate = 2;

int rateBits(int rate)
{
    return rate == 44100 ? 3 : rate == 22050 ? 2 : rate == 11025 ? 1 : 0;
}

// A one-frame movie at 10 fps that starts sound 1 in its frame.
QByteArray eventMovie(int format, quint32 count, const QByteArray &data)
{
    return MovieBuilder().defineSound(1, format, count, data).startSound(1).showFrame().end().build();
}

// The MP3 frames of a file, cut at their headers (MPEG 2 layer III, as lame
// writes for 22.05 kHz).
QList<QByteArray> mp3Frames(const QByteArray &file)
{
    static const int kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    QList<QByteArray> frames;
    for (qsizetype at = 0; at + 4 <= file.size();) {
        const auto *h = reinterpret_cast<const uchar *>(file.constData() + at);
        if (h[0] != 0xff || (h[1] & 0xe0) != 0xe0) {
            ++at;
            continue;
        }
        const int length = 72 * kbps[h[2] >> 4] * 1000 / 22050 + ((h[2] >> 1) & 1);
        if (length <= 4)
            break;
        frames.append(file.mid(at, length));
        at += length;
    }
    return frames;
}

} // namespace

class TestCodecs : public QObject
{
    Q_OBJECT
private slots:
    void tones_data();
    void tones();
    void mp3();
};

void TestCodecs::tones_data()
{
    QTest::addColumn<int>("codec");       // 0, 3: PCM; 1: ADPCM
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("sixteen");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<int>("adpcmBits");
    QTest::addColumn<double>("levelTolerance");
    QTest::newRow("pcm 8-bit 11 kHz") << 3 << 11025 << false << false << 0 << 0.01;
    QTest::newRow("pcm 16-bit 44 kHz") << 3 << 44100 << true << false << 0 << 0.002;
    QTest::newRow("pcm native 16-bit 5.5 kHz stereo") << 0 << 5512 << true << true << 0 << 0.002;
    QTest::newRow("pcm 8-bit 22 kHz stereo") << 3 << 22050 << false << true << 0 << 0.01;
    QTest::newRow("adpcm 2-bit 22 kHz") << 1 << 22050 << true << false << 2 << 0.25;
    QTest::newRow("adpcm 3-bit 11 kHz") << 1 << 11025 << true << false << 3 << 0.1;
    QTest::newRow("adpcm 4-bit 44 kHz stereo") << 1 << 44100 << true << true << 4 << 0.05;
    QTest::newRow("adpcm 5-bit 5.5 kHz") << 1 << 5512 << true << false << 5 << 0.05;
}

void TestCodecs::tones()
{
    QFETCH(int, codec);
    QFETCH(int, rate);
    QFETCH(bool, sixteen);
    QFETCH(bool, stereo);
    QFETCH(int, adpcmBits);
    QFETCH(double, levelTolerance);
    // 0.6 s: more than one ADPCM packet at every rate but 5.5 kHz.
    const std::vector<int16_t> left = probe::tone(440, rate, 0.6, 0.5);
    const std::vector<int16_t> right = probe::tone(660, rate, 0.6, 0.25);
    const std::vector<int16_t> samples = stereo ? probe::interleave(left, right) : left;
    QByteArray data;
    if (codec == 1)
        data = AdpcmEncoder(stereo ? 2 : 1, adpcmBits).encode(samples);
    else
        data = probe::bytes(samples, !sixteen);
    const int format = (codec << Codec) | (rateBits(rate) << Rate) | (sixteen ? 2 : 0) | (stereo ? 1 : 0);
    const std::vector<int16_t> mix = probe::play(eventMovie(format, quint32(left.size()), data), 8);

    // Every sample is held for 44100 / rate output frames.
    const std::int64_t expected = (std::int64_t(left.size()) * 44100 + rate - 1) / rate;
    const probe::Measure l = probe::measure(mix, 0, 0, expected);
    QCOMPARE(probe::measure(mix, 0).length, expected);
    QVERIFY2(std::abs(l.hz - 440) < 440 * 0.01, qPrintable(QString::number(l.hz)));
    QVERIFY2(std::abs(l.rms - 0.5 / std::sqrt(2.0)) < levelTolerance, qPrintable(QString::number(l.rms)));
    const probe::Measure r = probe::measure(mix, 1, 0, expected);
    QVERIFY2(std::abs(r.hz - (stereo ? 660 : 440)) < 7, qPrintable(QString::number(r.hz)));
    QVERIFY(std::abs(r.rms - (stereo ? 0.25 : 0.5) / std::sqrt(2.0)) < levelTolerance);
}

void TestCodecs::mp3()
{
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    if (lame.isEmpty())
        QSKIP("lame is not installed (scripts/install-deps.sh installs it): no MP3 to test with");
    QTemporaryDir dir;
    const std::vector<int16_t> tone = probe::tone(440, 22050, 1.0, 0.5);
    QFile wav(dir.filePath(QStringLiteral("tone.wav")));
    QVERIFY(wav.open(QIODevice::WriteOnly));
    wav.write(WavFile::pcm16Mono(tone, 22050));
    wav.close();
    QProcess encoder;
    encoder.start(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("64"),
                         QStringLiteral("-m"), QStringLiteral("m"), wav.fileName(), dir.filePath(QStringLiteral("tone.mp3"))});
    QVERIFY(encoder.waitForFinished(30000) && encoder.exitCode() == 0);
    QFile file(dir.filePath(QStringLiteral("tone.mp3")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray mp3 = file.readAll();
    const int format = (2 << Codec) | (2 << Rate) | 2;

    // An event sound: SeekSamples, then the frames.
    const std::vector<int16_t> event = probe::play(eventMovie(format, 22050, QByteArray(2, 0) + mp3), 14);
    const probe::Measure e = probe::measure(event, 0, 11025, 33075);
    QVERIFY2(std::abs(e.hz - 440) < 5, qPrintable(QString::number(e.hz)));
    QVERIFY2(std::abs(e.rms - 0.354) < 0.03, qPrintable(QString::number(e.rms)));
    QVERIFY(probe::measure(event, 0).length >= 44100);

    // A stream: whole frames in each block, 2205 samples a frame at 10 fps,
    // each block as many frames as keep it at or below its share.
    const QList<QByteArray> frames = mp3Frames(mp3);
    QVERIFY(frames.size() > 30);
    MovieBuilder movie;
    movie.streamHead(format, 2205);
    int used = 0, written = 0, frameCount = 0;
    while (used < frames.size()) {
        QByteArray block;
        const int ideal = (frameCount + 1) * 2205;
        int count = 0;
        while (used < frames.size() && written + 576 <= ideal) {
            block += frames[used++];
            written += 576;
            ++count;
        }
        QByteArray head;
        head.append(char((count * 576) & 0xff)).append(char((count * 576) >> 8)).append(2, 0);
        movie.streamBlock(head + block).showFrame();
        ++frameCount;
    }
    const std::vector<int16_t> stream = probe::play(movie.end().build(), frameCount);
    const probe::Measure s = probe::measure(stream, 0, 11025, 33075);
    QVERIFY2(std::abs(s.hz - 440) < 5, qPrintable(QString::number(s.hz)));
    QVERIFY2(std::abs(s.rms - 0.354) < 0.03, qPrintable(QString::number(s.rms)));
}

QTEST_GUILESS_MAIN(TestCodecs)
#include "tst_codecs.moc"
