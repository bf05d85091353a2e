#include "ScratchFolder.h"
#include "Sound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {
// A short 16-bit mono PCM WAV: a tenth of a second of a 440 Hz tone.
QByteArray toneWave()
{
    const int rate = 8000;
    const int samples = rate / 10;
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        const qint16 value = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(char(value & 0xFF));
        data.append(char((value >> 8) & 0xFF));
    }
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + data.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(data.size());
    out.writeRawData(data.constData(), int(data.size()));
    return wave;
}
} // namespace

// Asynchronous play of the error sound: never a wait, never a failure
// that stops the caller.
class TestSound : public QObject
{
    Q_OBJECT
private:
    ScratchFolder m_dir;

private slots:
    void unplayableGivesSilence_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << QString() << QByteArray();
        QTest::newRow("text") << "no.wav" << QByteArray("non un suono");
        QTest::newRow("compressed format") << "mp3.wav"
                                           << toneWave().replace(20, 2, QByteArray("\x55\x00", 2));
        QTest::newRow("empty") << "vuoto.wav" << QByteArray();
    }
    void unplayableGivesSilence()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = name.isEmpty() ? m_dir.filePath(QStringLiteral("manca.wav")) : m_dir.write(name, bytes);
        const int before = Sound::requestCount();
        QVERIFY(!Sound::sndPlaySound(path, Sound::Async));
        QCOMPARE(Sound::requestCount(), before + 1);
        QCOMPARE(Sound::lastRequest(), path);
    }

    void playsAWaveWithoutWaiting()
    {
        const QString path = m_dir.write(QStringLiteral("no.wav"), toneWave());
        const int before = Sound::requestCount();
        const bool device = !QMediaDevices::audioOutputs().isEmpty();
        // Twice in a row, as two quick wrong answers would: the second starts
        // the sound again, and neither call waits for the sound to end.
        QCOMPARE(Sound::sndPlaySound(path, Sound::Async), device);
        QCOMPARE(Sound::sndPlaySound(path, Sound::Async), device);
        QCOMPARE(Sound::requestCount(), before + 2);
        QTest::qWait(50);
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
