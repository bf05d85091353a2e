#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace swf {

// A decoded sound or stream block: 16-bit samples at the sound's own rate,
// channels interleaved, left first. Immutable once decoded and shared by
// every voice that plays it.
struct SoundData
{
    int rate = 44100;                // Hz
    int channels = 1;                // 1 or 2
    std::vector<std::int16_t> samples;

    std::int64_t frames() const { return std::int64_t(samples.size()) / channels; }
};

using SoundDataPtr = std::shared_ptr<const SoundData>;

} // namespace swf
