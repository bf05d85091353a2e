#pragma once

// What the sound tests measure in a mix: how long a channel sounds, its
// pitch and its level; and the tones they feed in.
#include "Player.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace probe {

// `seconds` of a sine at `hz`, peak `amplitude` (0..1), one channel.
inline std::vector<int16_t> tone(double hz, int rate, double seconds, double amplitude)
{
    std::vector<int16_t> out(std::size_t(std::lround(seconds * rate)));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * double(i) / rate)));
    return out;
}

inline std::vector<int16_t> interleave(const std::vector<int16_t> &left, const std::vector<int16_t> &right)
{
    std::vector<int16_t> out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
    return out;
}

// Channel `channel` of a stereo mix: frames up to the last one not silent,
// upward zero crossings per second over [from, to) and the RMS there, as a
// share of full scale.
struct Measure
{
    std::int64_t length = 0;
    double hz = 0;
    double rms = 0;
};

inline Measure measure(const std::vector<int16_t> &mix, int channel, std::int64_t from = 0, std::int64_t to = -1)
{
    Measure m;
    const std::int64_t frames = std::int64_t(mix.size() / 2);
    for (std::int64_t i = frames - 1; i >= 0; --i) {
        if (mix[std::size_t(2 * i + channel)] != 0) {
            m.length = i + 1;
            break;
        }
    }
    if (to < 0)
        to = m.length;
    to = std::min(to, frames);
    int crossings = 0;
    double power = 0;
    for (std::int64_t i = from; i < to; ++i) {
        const int v = mix[std::size_t(2 * i + channel)];
        power += double(v) * v;
        if (i > from && mix[std::size_t(2 * (i - 1) + channel)] < 0 && v >= 0)
            ++crossings;
    }
    if (to > from) {
        m.hz = crossings * 44100.0 / double(to - from);
        m.rms = std::sqrt(power / double(to - from)) / 32768.0;
    }
    return m;
}

// The movie's sound over its first `frames` frames.
inline std::vector<int16_t> play(const QByteArray &movie, int frames)
{
    auto player = swf::Player::fromBytes(movie);
    return player ? player->recordSound(frames) : std::vector<int16_t>();
}

inline QByteArray bytes(const std::vector<int16_t> &samples, bool eightBit = false)
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

} // namespace probe
