// The WAV reader that checks a sound file, and the error sound itself.
#include "ErrorSound.h"
#include "WavFile.h"

#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray out(id, 4);
    QByteArray size(4, 0);
    qToLittleEndian<quint32>(quint32(body.size()), size.data());
    out += size + body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

QByteArray format(int tag, int channels, int rate, int bits)
{
    QByteArray f(16, 0);
    qToLittleEndian<quint16>(quint16(tag), f.data());
    qToLittleEndian<quint16>(quint16(channels), f.data() + 2);
    qToLittleEndian<quint32>(quint32(rate), f.data() + 4);
    qToLittleEndian<quint32>(quint32(rate * channels * bits / 8), f.data() + 8);
    qToLittleEndian<quint16>(quint16(channels * bits / 8), f.data() + 12);
    qToLittleEndian<quint16>(quint16(bits), f.data() + 14);
    return f;
}

QByteArray riff(const QByteArray &chunks)
{
    QByteArray size(4, 0);
    qToLittleEndian<quint32>(quint32(chunks.size() + 4), size.data());
    return "RIFF" + size + "WAVE" + chunks;
}

// Frequency from the upward zero crossings of a stretch of samples.
double pitch(const std::vector<int16_t> &s, size_t from, size_t to, int rate)
{
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = from + 1; i < to; ++i)
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (!crossings)
                first = i;
            last = i;
            ++crossings;
        }
    return crossings > 1 ? (crossings - 1) * double(rate) / double(last - first) : 0.0;
}

} // namespace

class TestWav : public QObject
{
    Q_OBJECT

private slots:
    void inspect_data();
    void inspect();
    void errorSoundIsShortSoftAndFalling();
    void readsATeachersSound();
};

void TestWav::inspect_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("playable");
    QTest::addColumn<double>("seconds");
    const QByteArray second(44100, '\0');
    QTest::newRow("mono 16-bit") << riff(chunk("fmt ", format(1, 1, 22050, 16)) + chunk("data", second)) << true << 1.0;
    QTest::newRow("stereo 16-bit") << riff(chunk("fmt ", format(1, 2, 44100, 16)) + chunk("data", second)) << true << 0.25;
    QTest::newRow("list chunk before the data")
        << riff(chunk("fmt ", format(1, 1, 22050, 16)) + chunk("LIST", "INFOabc") + chunk("data", second)) << true << 1.0;
    QTest::newRow("written by WavFile") << WavFile::pcm16Mono(std::vector<int16_t>(11025, 7), 22050) << true << 0.5;
    QTest::newRow("not RIFF") << QByteArray("ID3\x03 this is an mp3 file") << false << 0.0;
    QTest::newRow("8-bit") << riff(chunk("fmt ", format(1, 1, 22050, 8)) + chunk("data", second)) << false << 0.0;
    QTest::newRow("compressed") << riff(chunk("fmt ", format(2, 1, 22050, 16)) + chunk("data", second)) << false << 0.0;
    QTest::newRow("no format") << riff(chunk("data", second)) << false << 0.0;
    QTest::newRow("no data") << riff(chunk("fmt ", format(1, 1, 22050, 16))) << false << 0.0;
    QTest::newRow("empty data") << riff(chunk("fmt ", format(1, 1, 22050, 16)) + chunk("data", {})) << false << 0.0;
    QTest::newRow("truncated format") << riff(chunk("fmt ", format(1, 1, 22050, 16).left(10))) << false << 0.0;
}

void TestWav::inspect()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, playable);
    QFETCH(double, seconds);
    const WavFile::Info info = WavFile::inspect(file);
    QCOMPARE(info.problem.isEmpty(), playable);
    if (playable)
        QCOMPARE(info.seconds, seconds);
}

// 8-bit stereo at 16 kHz, as a teacher's recorder may save it.
void TestWav::readsATeachersSound()
{
    QByteArray wav = WavFile::pcm16Mono(std::vector<int16_t>(8, 0), 16000);
    wav[22] = 2;                                 // channels
    wav[34] = 8;                                 // bits per sample
    const QByteArray data("\x80\xff\x00\x80\x40\xc0\x80\x80", 8);
    wav.replace(44, 16, data);
    wav[40] = 8;                                 // data size
    QString problem;
    const WavFile::Audio audio = WavFile::read(wav, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(audio.channels, 2);
    QCOMPARE(audio.rate, 16000);
    QCOMPARE(audio.samples, (std::vector<int16_t>{0, 127 * 256, -32768, 0, -64 * 256, 64 * 256, 0, 0}));
    const WavFile::Audio resampled = WavFile::resampled(audio, 32000);
    QCOMPARE(resampled.samples.size(), size_t(16));
    QCOMPARE(resampled.samples[2], int16_t(-16384));     // halfway between the first two frames
    wav[20] = 3;                                 // floating point
    QVERIFY(WavFile::read(wav, &problem).samples.empty());
    QVERIFY(problem.contains(QStringLiteral("PCM")));
}

void TestWav::errorSoundIsShortSoftAndFalling()
{
    const std::vector<int16_t> s = ErrorSound::samples();
    const int rate = ErrorSound::kSampleRate;
    const double seconds = double(s.size()) / rate;
    QVERIFY(seconds >= 0.4 && seconds <= 0.6);

    // Never near full scale, and no click at either end.
    int peak = 0;
    for (int16_t v : s)
        peak = std::max(peak, std::abs(int(v)));
    QVERIFY(peak > 6000 && peak < 20000);
    QVERIFY(std::abs(int(s.front())) < 200 && std::abs(int(s.back())) < 200);
    // The attack is gentle: the first 5 ms stay quiet.
    for (size_t i = 0; i < size_t(rate / 200); ++i)
        QVERIFY(std::abs(int(s[i])) < peak / 2);

    // Two notes, the second lower: a friendly "uh-oh".
    const double first = pitch(s, size_t(0.03 * rate), size_t(0.17 * rate), rate);
    const double second = pitch(s, size_t(0.26 * rate), size_t(0.45 * rate), rate);
    QVERIFY2(first > 400 && first < 700, qPrintable(QString::number(first)));
    QVERIFY2(second > 300 && second < first * 0.85, qPrintable(QString::number(second)));

    const WavFile::Info info = WavFile::inspect(WavFile::pcm16Mono(s, rate));
    QVERIFY(info.problem.isEmpty());
    QCOMPARE(info.channels, 1);
    QCOMPARE(info.sampleRate, rate);
}

QTEST_MAIN(TestWav)
#include "tst_wav.moc"
