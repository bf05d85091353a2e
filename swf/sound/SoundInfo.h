#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace swf {

// SOUNDINFO: how StartSound (or a button) plays an event sound. Points and
// envelope positions count samples at 44.1 kHz whatever the sound's rate.
struct SoundInfo
{
    struct EnvelopePoint
    {
        std::uint32_t position = 0;  // 44.1 kHz samples from the start
        int left = 32768;            // 0..32768
        int right = 32768;
    };

    bool stop = false;               // SyncStop: stop every instance
    bool noMultiple = false;         // SyncNoMultiple: not while one plays
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    int loops = 1;                   // plays in all; the file's 0 means 1
    std::vector<EnvelopePoint> envelope;
};

// A StartSound tag as a frame holds it.
struct SoundStart
{
    int soundId = 0;
    SoundInfo info;
};

} // namespace swf
