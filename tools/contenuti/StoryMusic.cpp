#include "StoryMusic.h"

#include "StoryTimeline.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>

namespace {

// A small deterministic generator, seeded from the name: the same story
// always gets the same music, whatever the platform's random numbers.
class Dice
{
public:
    explicit Dice(const QString &seed)
    {
        const QByteArray h = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha1);
        for (int i = 0; i < 8; ++i)
            m_state = (m_state << 8) | uint8_t(h[i]);
        m_state |= 1;
    }
    int roll(int sides)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return int(m_state % uint64_t(sides));
    }

private:
    uint64_t m_state = 0;
};

double semitones(double hz, int steps)
{
    return hz * std::pow(2.0, steps / 12.0);
}

// Adds a note into the loop, wrapping round its end. `bell` gives the
// bright, fast-fading partials of a small bell instead of a soft pluck.
void note(std::vector<double> &loop, double start, double seconds, double hz, double level, bool bell)
{
    const int rate = StoryMusic::kRate;
    const size_t first = size_t(std::lround(start * rate));
    const size_t count = size_t(seconds * rate);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double attack = std::min(1.0, t / 0.012);
        const double release = i + size_t(0.05 * rate) > count ? double(count - i) / (0.05 * rate) : 1.0;
        double v;
        if (bell) {
            v = std::exp(-6.0 * t) * (std::sin(2 * M_PI * hz * t) + 0.4 * std::sin(2 * M_PI * hz * 2.76 * t) * std::exp(-8.0 * t));
        } else {
            v = std::exp(-2.2 * t) * (std::sin(2 * M_PI * hz * t) + 0.25 * std::sin(4 * M_PI * hz * t)
                                      + 0.08 * std::sin(6 * M_PI * hz * t));
        }
        loop[(first + i) % loop.size()] += level * attack * release * v;
    }
}

} // namespace

std::vector<int16_t> StoryMusic::samples(const QString &storyName)
{
    const double fps = StoryTimeline::kFramesPerSecond;
    const double sceneSeconds = (StoryTimeline::kHoldFrames + StoryTimeline::kTransitionFrames) / fps;
    const double seconds = StoryTimeline::kFrames / fps;
    std::vector<double> loop(size_t(std::lround(seconds * kRate)), 0.0);

    Dice dice(storyName);
    // A key between G3 and E4, and one of two pentatonic scales.
    const double root = semitones(196.0, dice.roll(10));
    static const int major[5] = {0, 2, 4, 7, 9};
    static const int minor[5] = {0, 3, 5, 7, 10};
    const int *scale = dice.roll(3) == 0 ? minor : major;
    auto degree = [&](int d) {
        const int octave = d >= 0 ? d / 5 : -((4 - d) / 5);
        return semitones(root, 12 * octave + scale[((d % 5) + 5) % 5]);
    };
    // Bass notes on the scale's root, fourth, fifth or sixth, one a scene.
    static const int progressions[4][5] = {{0, -2, -4, -1, 0}, {0, -1, -2, -4, 0}, {0, -4, -2, -1, 0}, {0, -2, -1, -4, 0}};
    const int *bass = progressions[dice.roll(4)];
    // Four beats a scene, a melody note on most beats, walking the scale.
    const int beats = 4;
    const double beat = sceneSeconds / beats;
    int position = 5 + dice.roll(3);
    for (int scene = 0; scene < 5; ++scene) {
        const double at = scene * sceneSeconds;
        note(loop, at, sceneSeconds + 0.4, degree(bass[scene] - 5) / 2.0, 0.05, false);
        for (int b = 0; b < beats; ++b) {
            if (dice.roll(5) == 0)
                continue; // a rest now and then
            position = std::clamp(position + dice.roll(5) - 2, 3, 10);
            note(loop, at + b * beat, beat * 1.6, degree(position), 0.055, false);
        }
        // The change of scene starts after the scene's pause.
        const double change = at + StoryTimeline::kHoldFrames / fps;
        note(loop, change, 0.6, degree(12 + dice.roll(3)), 0.04, true);
        note(loop, change + 0.09, 0.6, degree(14 + dice.roll(3)), 0.03, true);
    }

    std::vector<int16_t> out;
    out.reserve(loop.size());
    for (double v : loop)
        out.push_back(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)));
    return out;
}
