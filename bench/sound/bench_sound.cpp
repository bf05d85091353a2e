// The movie engine's sound, measured in one run:
//  - decoding and mixing one minute of each format, against the minute's
//    own length (MP3 made with lame when it is installed);
//  - the processor share of a story playing at its rate with its sound, the
//    picture drawn at 1920 x 1080 as the movie control draws it and the
//    sound pulled by a thread of its own as an audio device would (goal:
//    under 15% of one core, the sound costing less than the drawing).
#include "AdpcmEncoder.h"
#include "BenchReport.h"
#include "MovieBuilder.h"
#include "Player.h"
#include "WavFile.h"
#include "sound/SoundMixer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// A minute of music-like sound: two tones and a slow swell, `channels` wide.
std::vector<int16_t> minute(int rate, int channels)
{
    std::vector<int16_t> out;
    out.reserve(std::size_t(rate) * 60 * channels);
    for (int i = 0; i < rate * 60; ++i) {
        const double t = double(i) / rate;
        const double v = 0.3 * std::sin(2 * M_PI * 330 * t) + 0.2 * std::sin(2 * M_PI * 497 * t) * std::sin(t);
        for (int c = 0; c < channels; ++c)
            out.push_back(int16_t(std::lround(v * 32767 * (c ? 0.8 : 1.0))));
    }
    return out;
}

QByteArray pcm(const std::vector<int16_t> &samples, bool eightBit)
{
    QByteArray out;
    for (int16_t s : samples) {
        if (eightBit) {
            out.append(char(uint8_t((s >> 8) + 128)));
        } else {
            out.append(char(s & 0xff));
            out.append(char((s >> 8) & 0xff));
        }
    }
    return out;
}

int rateBits(int rate)
{
    return rate == 44100 ? 3 : rate == 22050 ? 2 : rate == 11025 ? 1 : 0;
}

// The minute as one event sound, started in the first of 12 frames a second.
QByteArray eventMovie(int codec, int rate, bool sixteen, int channels, const QByteArray &data)
{
    const int format = (codec << 4) | (rateBits(rate) << 2) | (sixteen ? 2 : 0) | (channels == 2 ? 1 : 0);
    return MovieBuilder().defineSound(1, format, quint32(rate * 60), data).startSound(1).showFrame().end().build();
}

QByteArray lameMinute(QTemporaryDir &dir)
{
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    if (lame.isEmpty())
        return {};
    QFile wav(dir.filePath(QStringLiteral("minute.wav")));
    if (!wav.open(QIODevice::WriteOnly))
        return {};
    wav.write(WavFile::pcm16Mono(minute(22050, 1), 22050));
    wav.close();
    QProcess p;
    p.start(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("64"), wav.fileName(),
                   dir.filePath(QStringLiteral("minute.mp3"))});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    QFile mp3(dir.filePath(QStringLiteral("minute.mp3")));
    return mp3.open(QIODevice::ReadOnly) ? mp3.readAll() : QByteArray();
}

// The slowest format so far: its time to decode and mix over its length.
double slowestSound = 0;

void decodeAndMix(const char *name, const QByteArray &movie)
{
    QElapsedTimer t;
    t.start();
    auto player = swf::Player::fromBytes(movie);
    const double decode = t.nsecsElapsed() / 1e9;
    if (!player) {
        std::printf("  %-28s does not load\n", name);
        return;
    }
    // Pulled as an audio device pulls it, a buffer at a time.
    std::shared_ptr<swf::SoundMixer> mixer = player->soundMixer();
    std::vector<int16_t> buffer(2048);
    t.restart();
    for (int pulled = 0; pulled < 60 * swf::SoundMixer::Rate; pulled += 1024)
        mixer->mix(buffer.data(), 1024);
    const double mix = t.nsecsElapsed() / 1e9;
    std::printf("  %-28s decode %7.1f ms  mix %7.1f ms  together / 60 s: %.5f (%.0f times faster than it plays)\n",
                name, decode * 1e3, mix * 1e3, (decode + mix) / 60, 60 / (decode + mix));
    slowestSound = std::max(slowestSound, (decode + mix) / 60);
}

struct Share
{
    double whole = 0;    // all threads
    double sound = 0;    // the thread that pulled the sound
};

// Plays like the movie control: frames due by the clock, late ones run but
// not drawn, only what changed drawn; a second thread pulls the sound 1024
// frames at a time, as far as the clock says a device would want it.
Share playWithSound(swf::Player &player, QImage &image, double seconds)
{
    const double period = 1000.0 / player.info().frameRate;
    std::shared_ptr<swf::SoundMixer> mixer = player.soundMixer();
    std::atomic<bool> done{false};
    std::atomic<double> soundCpu{0};
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    std::thread device([&] {
        const double start = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        std::vector<int16_t> buffer(2048);
        std::int64_t pulled = 0;
        while (!done) {
            const std::int64_t due = std::int64_t(wall.nsecsElapsed() / 1e9 * swf::SoundMixer::Rate) + 1024;
            while (pulled < due) {
                mixer->mix(buffer.data(), 1024);
                pulled += 1024;
            }
            // A device asks about every 20 ms for what its buffer lacks.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        soundCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    });
    qint64 frame = 0;
    player.renderChanges(image);
    while (wall.elapsed() < seconds * 1000) {
        const qint64 due = qint64(wall.elapsed() / period);
        if (due > frame) {
            for (; frame < due; ++frame)
                player.advance();
            player.renderChanges(image);
        }
        const double next = (frame + 1) * period - wall.elapsed();
        if (next > 0)
            QThread::usleep((unsigned long)(next * 1000));
    }
    done = true;
    device.join();
    const double elapsed = wall.elapsed() / 1000.0;
    return {(cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / elapsed, soundCpu / elapsed};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    const QString stories = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(STORY_DIR);

    std::printf("one minute of sound, decoded when the movie loads and mixed to 44.1 kHz stereo:\n");
    const std::vector<int16_t> mono11 = minute(11025, 1), mono22 = minute(22050, 1), stereo44 = minute(44100, 2);
    decodeAndMix("PCM 8-bit 11 kHz mono", eventMovie(3, 11025, false, 1, pcm(mono11, true)));
    decodeAndMix("PCM 16-bit 44 kHz stereo", eventMovie(3, 44100, true, 2, pcm(stereo44, false)));
    for (int bits = 2; bits <= 5; ++bits) {
        const QByteArray name = QStringLiteral("ADPCM %1-bit 22 kHz mono").arg(bits).toLatin1();
        decodeAndMix(name.constData(), eventMovie(1, 22050, true, 1, AdpcmEncoder(1, bits).encode(mono22)));
    }
    decodeAndMix("ADPCM 4-bit 44 kHz stereo", eventMovie(1, 44100, true, 2, AdpcmEncoder(2, 4).encode(stereo44)));
    QTemporaryDir dir;
    const QByteArray mp3 = lameMinute(dir);
    if (mp3.isEmpty())
        std::printf("  MP3: lame is not installed, not measured\n");
    else
        decodeAndMix("MP3 64 kbit/s 22 kHz mono", eventMovie(2, 22050, true, 1, QByteArray(2, 0) + mp3));
    reportRatio("a minute of sound decoded and mixed / a minute, slowest format", slowestSound);

    std::printf("\nprocessor share of a story playing at its rate with its sound, 1920x1080, as the control does"
                " (goal: under 15%% of one core):\n");
    QImage image(QSize(1920, 1080), QImage::Format_ARGB32_Premultiplied);
    double worst = 0;
    const QStringList files = QDir(stories).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        auto player = swf::Player::load(stories + u'/' + name);
        if (!player)
            continue;
        image.fill(Qt::black);
        const Share share = playWithSound(*player, image, 4);
        worst = std::max(worst, share.whole);
        std::printf("  %-16s %5.1f%% of one core, the sound %4.2f%% of it: the drawing costs x %.0f the sound\n",
                    qPrintable(name), 100 * share.whole, 100 * share.sound,
                    (share.whole - share.sound) / std::max(share.sound, 1e-6));
    }
    if (!files.isEmpty()) {
        std::printf("busiest story: %.1f%% of one core\n", 100 * worst);
        reportRatio("processor while a story plays with its sound, busiest / one core", worst, "<= 0.15");
    }
    return 0;
}
