// How sounds play: StartSound's flags, in and out points, loops, the
// envelope, the 32 voices, event sounds outliving their timeline, streams
// following their timeline (gotos, stop, loops, removal, frames without a
// block) and staying with their frames over a long movie, and malformed
// sound data refused without harm.
#include "MovieBuilder.h"
#include "SoundProbe.h"
#include "character/ButtonCharacter.h"
#include "sound/SoundMixer.h"

#include <QtTest>

namespace {

constexpr int Pcm16Mono44k = (3 << 4) | (3 << 2) | 2;
constexpr int Pcm16Mono11k = (3 << 4) | (1 << 2) | 2;
constexpr int FramePeriod = 3675;           // 44.1 kHz frames in a frame at 12 fps

QByteArray constant(int value, int count)
{
    return probe::bytes(std::vector<int16_t>(std::size_t(count), int16_t(value)));
}

int left(const std::vector<int16_t> &mix, std::int64_t frame) { return mix.at(std::size_t(2 * frame)); }
int right(const std::vector<int16_t> &mix, std::int64_t frame) { return mix.at(std::size_t(2 * frame + 1)); }

} // namespace

class TestPlayback : public QObject
{
    Q_OBJECT
private slots:
    void startFlags_data();
    void startFlags();
    void spanAndLoops();
    void envelope();
    void voiceLimit();
    void eventOutlivesItsSprite();
    void gotoToTheFrameShownStartsNothing();
    void buttonTransitionsPlayTheirSounds();
    void streamFollowsTimeline_data();
    void streamFollowsTimeline();
    void streamGoesRoundAheadOfThePictures();
    void streamOfRemovedSprite();
    void longStreamKeepsItsFrames();
    void clippedOnce();
    void malformed_data();
    void malformed();
};

void TestPlayback::startFlags_data()
{
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<int>("level");           // in the second frame
    QTest::newRow("no flags: another instance") << QByteArray(1, 0) << 2000;
    QTest::newRow("no multiple: nothing while it plays") << MovieBuilder::soundInfo(false, true) << 1000;
    QTest::newRow("stop: every instance") << MovieBuilder::soundInfo(true, false) << 0;
}

void TestPlayback::startFlags()
{
    QFETCH(QByteArray, second);
    QFETCH(int, level);
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 44100, constant(1000, 44100));
    m.startSound(1).showFrame().startSound(1, second).showFrame().showFrame();
    const std::vector<int16_t> mix = probe::play(m.end().build(), 3);
    QCOMPARE(left(mix, 100), 1000);
    QCOMPARE(left(mix, FramePeriod + 100), level);
    QCOMPARE(right(mix, 2 * FramePeriod + 100), level);
}

// In and out points count 44.1 kHz samples whatever the sound's rate;
// the span between them plays `loops` times.
void TestPlayback::spanAndLoops()
{
    std::vector<int16_t> ramp(4410);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(i);
    for (int loops : {0, 1, 3}) {
        MovieBuilder m;
        m.defineSound(1, Pcm16Mono11k, 4410, probe::bytes(ramp));
        m.startSound(1, MovieBuilder::soundInfo(false, false, 400, 4000, loops)).showFrame().end();
        const std::vector<int16_t> mix = probe::play(m.build(), 5);
        QCOMPARE(left(mix, 0), 100);
        QCOMPARE(left(mix, 3599), 999);
        QCOMPARE(probe::measure(mix, 0).length, 3600 * std::max(1, loops));
        if (loops == 3)
            QCOMPARE(left(mix, 7200), 100);
    }
}

// Levels per channel, linear between points, held outside them, on a clock
// that runs on across loops.
void TestPlayback::envelope()
{
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 2205, constant(10000, 2205));
    m.startSound(1, MovieBuilder::soundInfo(false, false, {}, {}, 8, {{4410, 0, 32768}, {8820, 32768, 0}}));
    const std::vector<int16_t> mix = probe::play(m.showFrame().end().build(), 5);
    QCOMPARE(left(mix, 10), 0);
    QCOMPARE(right(mix, 10), 10000);
    QCOMPARE(left(mix, 6615), 5000);        // halfway, in the third loop
    QCOMPARE(right(mix, 6615), 5000);
    QCOMPARE(left(mix, 12000), 10000);
    QCOMPARE(right(mix, 12000), 0);
}

void TestPlayback::voiceLimit()
{
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 4410, constant(100, 4410));
    for (int i = 0; i < 40; ++i)
        m.startSound(1);
    auto player = swf::Player::fromBytes(m.showFrame().end().build());
    const std::vector<int16_t> mix = player->recordSound(1);
    QCOMPARE(left(mix, 10), 100 * swf::SoundMixer::MaxVoices);
    QCOMPARE(player->soundMixer()->voiceCount(), swf::SoundMixer::MaxVoices);
}

void TestPlayback::eventOutlivesItsSprite()
{
    MovieBuilder sprite;
    sprite.startSound(1).showFrame().showFrame().end();
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 44100, constant(1000, 44100)).sprite(2, sprite);
    m.place(1, 2).showFrame().remove(1).showFrame().showFrame().end();
    const std::vector<int16_t> mix = probe::play(m.build(), 3);
    QCOMPARE(left(mix, 2 * FramePeriod + 100), 1000);
}

void TestPlayback::gotoToTheFrameShownStartsNothing()
{
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 44100, constant(1000, 44100));
    m.startSound(1).actions(MovieBuilder::gotoFrame(0)).showFrame().showFrame().end();
    QCOMPARE(left(probe::play(m.build(), 1), 100), 1000);
}

// DefineButtonSound: roll over plays sound 2, the press sound 3 as well.
void TestPlayback::buttonTransitionsPlayTheirSounds()
{
    using Record = MovieBuilder::ButtonRecord;
    MovieBuilder m;
    m.defineSound(2, Pcm16Mono44k, 44100, constant(1000, 44100));
    m.defineSound(3, Pcm16Mono44k, 44100, constant(300, 44100));
    m.rectShape(1, 0, 0, 800, 800, 255, 0, 0);
    m.button2(10, {Record{swf::ButtonCharacter::Up, 1, 1, 0}, Record{swf::ButtonCharacter::HitTest, 1, 2, 0}});
    m.tag(17, QByteArray("\x0a\x00\x00\x00\x02\x00\x00\x03\x00\x00\x00\x00", 12));
    auto player = swf::Player::fromBytes(m.place(1, 10).showFrame().end().build());
    QVERIFY(player);
    std::vector<int16_t> mix(200);
    player->mouseMove(QPointF(20, 20));
    player->mixSound(mix.data(), 100);
    QCOMPARE(left(mix, 50), 1000);
    player->mousePress(QPointF(20, 20));
    player->mixSound(mix.data(), 100);
    QCOMPARE(left(mix, 50), 1300);
}

// Frames written as text, one word a frame: "b" a block of one frame's
// length (its value 100 times the frame's number, from 1), "bb" a block of
// two frames' length, "-" no block; ",gN" adds a goto to 0-based frame N,
// ",s" a stop. `heard`: the stream's value in each frame period, in frames'
// numbers, "-" for silence.
void TestPlayback::streamFollowsTimeline_data()
{
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("heard");
    QTest::newRow("a block a frame") << "b b b b b" << "1 2 3 4 5";
    QTest::newRow("a goto starts at the landed frame") << "b b b b,g1 b" << "1 2 3 2 3 2";
    QTest::newRow("a stop ends it") << "b b,s b b" << "1 2 - -";
    QTest::newRow("a frame without a block does not cut it") << "b bb - b" << "1 2 2 4";
    QTest::newRow("the main timeline's loop starts it again") << "b b b" << "1 2 3 1 2";
}

void TestPlayback::streamFollowsTimeline()
{
    QFETCH(QString, frames);
    QFETCH(QString, heard);
    MovieBuilder m;
    m.streamHead(Pcm16Mono44k, FramePeriod);
    const QStringList words = frames.split(u' ');
    for (int f = 0; f < words.size(); ++f) {
        const QStringList parts = words[f].split(u',');
        if (parts[0] != u"-")
            m.streamBlock(constant(100 * (f + 1), FramePeriod * int(parts[0].size())));
        for (const QString &p : parts.mid(1))
            m.actions(p == u"s" ? MovieBuilder::stop() : MovieBuilder::gotoFrame(p.mid(1).toInt()));
        m.showFrame();
    }
    const QStringList expected = heard.split(u' ');
    const std::vector<int16_t> mix = probe::play(m.end().build(), int(expected.size()));
    QStringList got;
    for (int p = 0; p < expected.size(); ++p) {
        const int v = left(mix, p * FramePeriod + FramePeriod / 2);
        got << (v ? QString::number(v / 100) : QStringLiteral("-"));
    }
    QCOMPARE(got.join(u' '), heard);
}

// A device mixes a buffer ahead of the pictures: at the end of the
// timeline the stream goes on with the first frame's block instead of
// falling silent, and the pictures' loop, coming later, does not start it
// over.
void TestPlayback::streamGoesRoundAheadOfThePictures()
{
    MovieBuilder m;
    m.streamHead(Pcm16Mono44k, FramePeriod);
    for (int f = 1; f <= 3; ++f)
        m.streamBlock(constant(100 * f, FramePeriod)).showFrame();
    auto player = swf::Player::fromBytes(m.end().build());
    QVERIFY(player);
    std::vector<int16_t> mix(std::size_t(FramePeriod) * 2 * 4);
    player->mixSound(mix.data(), FramePeriod * 4);
    QCOMPARE(left(mix, 2 * FramePeriod + FramePeriod / 2), 300);
    QCOMPARE(left(mix, 3 * FramePeriod + FramePeriod / 2), 100);
    for (int f = 0; f < 3; ++f)
        player->advance();
    QCOMPARE(player->currentFrame(), 1);
    player->mixSound(mix.data(), FramePeriod);
    QCOMPARE(left(mix, FramePeriod / 2), 200);
}

void TestPlayback::streamOfRemovedSprite()
{
    MovieBuilder sprite;
    sprite.streamHead(Pcm16Mono44k, FramePeriod);
    for (int f = 0; f < 4; ++f)
        sprite.streamBlock(constant(500, FramePeriod)).showFrame();
    MovieBuilder m;
    m.sprite(1, sprite.end()).place(1, 1).showFrame().showFrame().remove(1).showFrame().showFrame();
    const std::vector<int16_t> mix = probe::play(m.end().build(), 4);
    QCOMPARE(left(mix, FramePeriod + 100), 500);
    QCOMPARE(left(mix, 2 * FramePeriod + 100), 0);
}

// 2000 frames at 12 fps with 11.025 kHz blocks of 918 or 919 samples: each
// frame's block is heard while that frame shows, give or take one frame.
void TestPlayback::longStreamKeepsItsFrames()
{
    constexpr int Frames = 2000;
    MovieBuilder m;
    m.streamHead(Pcm16Mono11k, 919);
    std::int64_t written = 0;
    for (int f = 0; f < Frames; ++f) {
        const std::int64_t end = std::llround((f + 1) * 11025 / 12.0);
        m.streamBlock(constant(f + 1, int(end - written))).showFrame();
        written = end;
    }
    auto player = swf::Player::fromBytes(m.end().build('F', 2000, 2000, 12));
    QVERIFY(player);
    const std::vector<int16_t> mix = player->recordSound(Frames);
    int worst = 0;
    for (int f = 0; f < Frames; ++f) {
        const std::int64_t middle = std::llround((f + 0.5) * 44100 / 12.0);
        worst = std::max(worst, std::abs(left(mix, middle) - (f + 1)));
    }
    QVERIFY2(worst <= 1, qPrintable(QString::number(worst)));
}

// Voices add up in 32 bits and the sum is clipped once: two loud sounds
// and a quiet one of the opposite sign are not clipped on the way.
void TestPlayback::clippedOnce()
{
    MovieBuilder m;
    m.defineSound(1, Pcm16Mono44k, 4410, constant(30000, 4410));
    m.defineSound(2, Pcm16Mono44k, 4410, constant(-30000, 4410));
    m.startSound(1).startSound(1).startSound(2).showFrame().end();
    QCOMPARE(left(probe::play(m.build(), 1), 10), 30000);
    MovieBuilder loud;
    loud.defineSound(1, Pcm16Mono44k, 4410, constant(30000, 4410)).startSound(1).startSound(1).showFrame();
    QCOMPARE(left(probe::play(loud.end().build(), 1), 10), 32767);
}

void TestPlayback::malformed_data()
{
    QTest::addColumn<QByteArray>("movie");
    QTest::addColumn<int>("problem");         // MovieInfo::SoundProblem::Kind, or -1
    using Kind = swf::MovieInfo::SoundProblem::Kind;
    auto event = [](int format, quint32 count, const QByteArray &data) {
        return MovieBuilder().defineSound(1, format, count, data).startSound(1).showFrame().end().build();
    };
    QTest::newRow("adpcm header cut short") << event(0x16, 1000, QByteArray(2, '\x40')) << int(Kind::BadAdpcm);
    QTest::newRow("nellymoser") << event(0x62, 1000, QByteArray(64, 1)) << int(Kind::Nellymoser);
    QTest::newRow("mp3 that is noise") << event(0x2a, 1000, QByteArray(400, '\x5a')) << int(Kind::BadMp3);
    QTest::newRow("sound tag cut short") << MovieBuilder().tag(14, QByteArray(3, 0)).startSound(0).showFrame().end().build() << -1;
    QTest::newRow("sample count far past the data") << event(0x3e, 0xffffffffu, QByteArray(10, 1)) << -1;
    QTest::newRow("stream block without a head")
        << MovieBuilder().streamBlock(constant(5, 100)).showFrame().end().build() << -1;
    QTest::newRow("stream head of nellymoser")
        << MovieBuilder().streamHead(0x62, 100).streamBlock(QByteArray(64, 1)).showFrame().end().build()
        << int(Kind::Nellymoser);
    QTest::newRow("start of a sound never defined") << MovieBuilder().startSound(7).showFrame().end().build() << -1;
    QTest::newRow("envelope cut short")
        << MovieBuilder().defineSound(1, Pcm16Mono44k, 10, constant(5, 10)).startSound(1, QByteArray(2, '\x08'))
               .showFrame().end().build() << -1;
}

void TestPlayback::malformed()
{
    QFETCH(QByteArray, movie);
    QFETCH(int, problem);
    QString error;
    auto player = swf::Player::fromBytes(movie, &error);
    QVERIFY2(player, qPrintable(error));
    const auto &problems = player->info().soundProblems;
    QCOMPARE(problems.isEmpty(), problem < 0);
    if (problem >= 0)
        QCOMPARE(int(problems.first().kind), problem);
    const std::vector<int16_t> mix = player->recordSound(3);
    QCOMPARE(std::count(mix.begin(), mix.end(), 0) >= std::ptrdiff_t(mix.size()) - 20, true);
}

QTEST_GUILESS_MAIN(TestPlayback)
#include "tst_playback.moc"
