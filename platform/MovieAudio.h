#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace swf {
class SoundMixer;
}

namespace platform {

// The movies' way out to the loudspeaker: one output for the whole program,
// in the sound module, on a thread of its own, playing the mixer of the
// movie that plays. Every call returns at once: the module is loaded in the
// background the first time a movie with sound asks for it, and until it
// is there, or without an audio device, nothing is heard and running() is
// false.
class MovieAudio
{
public:
    static MovieAudio &instance();

    // The mixer heard from now on (null: none); the one before is no
    // longer pulled, so its sounds end.
    void setSource(std::shared_ptr<swf::SoundMixer> mixer);
    bool isSource(const swf::SoundMixer *mixer) const { return mixer && m_current.load() == mixer; }
    // Paused, the mixer is not pulled: its sounds wait where they were.
    void setPaused(bool paused);
    bool paused() const { return m_paused.load(); }
    // An audio device plays the output.
    bool running();

    // What the output's thread calls for the next frames; tests call it in
    // place of a device. A change of what is heard is eased over the first
    // DeclickFrames frames (about 6 ms).
    static void pull(void *self, std::int16_t *stereo, int frames);
    static constexpr int DeclickFrames = 256;

private:
    MovieAudio() = default;
    void open();

    mutable std::mutex m_lock;                  // guards m_source only, never held while mixing
    std::shared_ptr<swf::SoundMixer> m_source;
    std::atomic<const swf::SoundMixer *> m_current{nullptr};
    std::atomic<bool> m_paused{true};
    void *m_output = nullptr;
    // The pulling thread's own: what the last pull heard, and the last frame
    // it gave the device.
    const void *m_heard = nullptr;
    std::int16_t m_last[2] = {0, 0};
};

} // namespace platform
