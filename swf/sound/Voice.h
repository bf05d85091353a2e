#pragma once

#include "sound/SoundData.h"
#include "sound/SoundInfo.h"

#include <cstdint>

namespace swf {

struct Timeline;

// One sound playing, resampled to 44.1 kHz by holding each sample for as
// many output frames as its rate asks (what the original player did, to
// the sample). An event sound plays its in to out span `loops` times under
// its envelope; a stream plays its timeline's blocks one after the other
// from the frame it started at, reading ahead of the timeline, going round
// from the last frame's block to the first, until the blocks run out or it
// is stopped.
class Voice
{
public:
    static Voice event(int soundId, SoundDataPtr sound, const SoundInfo &info);
    static Voice stream(const void *clip, const Timeline *timeline, int frame, bool leads);

    // Adds the next `frames` stereo frames into `mix` (interleaved, 32-bit);
    // false once the voice has finished.
    bool mix(std::int32_t *mix, int frames);

    int soundId() const { return m_soundId; }           // 0 for a stream
    const void *clip() const { return m_clip; }          // the stream's timeline; null for an event
    bool leads() const { return m_leads; }
    // The stream's frame whose block is playing; -1 once it ran out.
    int streamFrame() const { return m_frame; }
    // The stream went round from its timeline's last block to the first,
    // and the timeline has not yet been seen to loop.
    bool wrapped() const { return m_wrapped; }
    void clearWrapped() { m_wrapped = false; }

private:
    Voice() = default;
    bool nextBlock(int from);
    void level(std::int64_t t, int *left, int *right) const;
    void seek(std::int64_t position44);

    SoundDataPtr m_data;             // the sound, or the stream's current block
    int m_soundId = 0;
    SoundInfo m_info;
    std::int64_t m_begin = 0, m_end = 0;    // the span, in 44.1 kHz frames
    std::int64_t m_at = 0;                  // 44.1 kHz frames into the span
    std::int64_t m_clock = 0;               // frames since the start, loops included
    int m_loopsLeft = 1;
    // Source position: frame m_source, and how far into the next one in
    // units of 1/44100 of a source frame.
    std::int64_t m_source = 0;
    int m_phase = 0;

    const void *m_clip = nullptr;
    const Timeline *m_timeline = nullptr;
    int m_frame = -1;
    bool m_leads = false;
    bool m_wrapped = false;
};

} // namespace swf
