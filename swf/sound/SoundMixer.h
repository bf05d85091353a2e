#pragma once

#include "sound/SoundData.h"
#include "sound/SoundInfo.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace swf {

class Movie;
class Voice;
struct Frame;
struct Timeline;

// The sounds of one player, mixed to 44.1 kHz stereo 16-bit. The timelines
// tell it what happens (on the player's thread); mix() makes the samples,
// on that thread or on an audio thread of its own: the two sides meet only
// in a short queue of commands, so neither waits for the other's work.
// Each sound is resampled on its own, all are summed in 32 bits and the sum
// is clipped once. At most 32 sounds play at once; more are not started.
class SoundMixer
{
public:
    static constexpr int Rate = 44100;
    static constexpr int MaxVoices = 32;

    explicit SoundMixer(std::shared_ptr<const Movie> movie);
    ~SoundMixer();
    SoundMixer(const SoundMixer &) = delete;
    SoundMixer &operator=(const SoundMixer &) = delete;

    // The player's side. A timeline entering `frame` (0-based) starts the
    // frame's sounds; its stream starts at the frame's block when `jumped`
    // (the first frame, a goto, a loop) or when it was not playing, and
    // otherwise goes on by itself. `root`: the main timeline, whose stream
    // the video follows.
    void enterFrame(const void *clip, const Timeline &timeline, int frame, bool jumped, bool root);
    // A timeline that stopped or went away stops its stream.
    void stopStream(const void *clip);
    void startSound(int soundId, const SoundInfo &info);
    void stopAll();

    // The mixing side: the next `frames` stereo frames, interleaved, left
    // first. `out` null mixes and throws the result away, to keep the
    // sounds in time while nothing plays them.
    void mix(std::int16_t *out, int frames);
    // Frames mixed so far: the clock of the sound.
    std::int64_t framesMixed() const { return m_mixed.load(std::memory_order_relaxed); }
    // A stream of the main timeline is playing: the video should follow it.
    bool streamLeads() const { return m_leads.load(std::memory_order_relaxed); }
    // Sounds playing after the last mix(), streams included.
    int voiceCount() const { return m_voiceCount.load(std::memory_order_relaxed); }

private:
    struct Command;
    void post(Command command);
    void apply(const Command &command);

    std::shared_ptr<const Movie> m_movie;  // keeps the samples and timelines alive
    std::mutex m_queueLock;
    std::vector<Command> m_queue;
    std::set<const void *> m_streaming;    // player's side: timelines with a stream started
    // The mixing side only; two threads that both mix take turns.
    std::mutex m_mixLock;
    std::vector<Command> m_taken;
    std::vector<Voice> m_voices;
    std::vector<std::int32_t> m_sum;
    std::atomic<std::int64_t> m_mixed{0};
    std::atomic<bool> m_leads{false};
    std::atomic<int> m_voiceCount{0};
};

} // namespace swf
