// The movie control's sound, with no audio device (none is needed): the
// control never waits for the output, keeps time by the wall clock, and
// the output's pull (here called as a device would) hears the playing
// movie only, silent while it is stopped and going on where it was after.
#include "MovieAudio.h"
#include "MovieBuilder.h"
#include "MovieView.h"
#include "Player.h"
#include "ScratchFolder.h"
#include "Sound.h"
#include "sound/SoundMixer.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace platform;

namespace {

constexpr int Pcm16Mono44k = (3 << 4) | (3 << 2) | 2;

// A stream in every frame, each sample a different value, so that any
// skipped or repeated sample shows.
QByteArray countingMovie(int frames, int offset)
{
    MovieBuilder m;
    m.streamHead(Pcm16Mono44k, 3675);
    for (int f = 0; f < frames; ++f) {
        QByteArray block;
        for (int i = 0; i < 3675; ++i) {
            const int v = (offset + f * 3675 + i) % 30000 + 1;
            block.append(char(v & 0xff)).append(char(v >> 8));
        }
        m.streamBlock(block).showFrame();
    }
    return m.end().build();
}

std::vector<qint16> pull(int frames)
{
    std::vector<qint16> out(std::size_t(frames) * 2, -1);
    MovieAudio::pull(&MovieAudio::instance(), out.data(), frames);
    return out;
}

} // namespace

class TestMovieSound : public QObject
{
    Q_OBJECT
private slots:
    void neverWaitsForTheOutput();
    void stopSilencesAndPlayGoesOn();
    void aNewMovieEndsTheOldSounds();

private:
    ScratchFolder m_dir;
};

void TestMovieSound::neverWaitsForTheOutput()
{
    MovieView view(nullptr);
    view.resize(200, 200);
    view.show();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(view.load(m_dir.write(QStringLiteral("a.swf"), countingMovie(40, 0))));
    view.play();
    Sound::sndPlaySound(m_dir.filePath(QStringLiteral("nessuno.wav")));
    view.stop();
    view.play();
    QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
    // Frames come by the wall clock whether or not a device plays the sound.
    clock.restart();
    QTRY_VERIFY(view.currentFrame() >= 12);
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    if (!MovieAudio::instance().running())
        QVERIFY(view.currentFrame() < 40);
}

void TestMovieSound::stopSilencesAndPlayGoesOn()
{
    // The control is driven without its event loop, so that only the
    // pulls below mix: what they hear must be the movie's sound without a
    // gap or a repeat across the stop, and without a jump of the wave (a
    // click) where it stops and where it goes on.
    const QByteArray bytes = countingMovie(10, 0);
    const std::vector<qint16> whole = swf::Player::fromBytes(bytes)->recordSound(3);
    constexpr int Ease = MovieAudio::DeclickFrames;
    MovieView view(nullptr);
    QVERIFY(view.load(m_dir.write(QStringLiteral("b.swf"), bytes)));
    view.play();
    const std::vector<qint16> before = pull(1000);
    QVERIFY(std::equal(before.begin() + 2 * Ease, before.end(), whole.begin() + 2 * Ease));
    view.stop();
    const std::vector<qint16> stopped = pull(500);
    // From the last value heard down to silence, a little at a time.
    int last = before[2 * 999];
    QVERIFY(last > 2 * Ease);
    for (int i = 0; i < 500; ++i) {
        const int v = stopped[2 * i];
        QVERIFY2(v <= last && last - v <= before[2 * 999] / Ease + 1, qPrintable(QString::number(i)));
        last = v;
    }
    QCOMPARE(last, 0);
    view.play();
    const std::vector<qint16> after = pull(4000);
    // It goes on at the very sample where it stopped, eased in from silence.
    for (int i = 0; i < Ease; ++i)
        QVERIFY(after[2 * i] >= 0 && after[2 * i] <= whole[2 * (1000 + i)]);
    QVERIFY(std::equal(after.begin() + 2 * Ease, after.end(), whole.begin() + 2 * (1000 + Ease)));
}

void TestMovieSound::aNewMovieEndsTheOldSounds()
{
    // Read past the easing from one movie to the next.
    constexpr int Ease = MovieAudio::DeclickFrames;
    MovieView view(nullptr);
    QVERIFY(view.load(m_dir.write(QStringLiteral("c.swf"), countingMovie(10, 0))));
    view.play();
    QCOMPARE(pull(Ease + 10)[2 * Ease], qint16(Ease + 1));
    QVERIFY(view.load(m_dir.write(QStringLiteral("d.swf"), countingMovie(10, 20000))));
    view.play();
    QCOMPARE(pull(Ease + 10)[2 * Ease], qint16(20001 + Ease));
    // A movie without sound leaves the output silent.
    QVERIFY(view.load(m_dir.write(QStringLiteral("e.swf"), MovieBuilder().showFrame().end().build())));
    view.play();
    QCOMPARE(pull(Ease + 10)[2 * Ease], qint16(0));
}

QTEST_MAIN(TestMovieSound)
#include "tst_moviesound.moc"
