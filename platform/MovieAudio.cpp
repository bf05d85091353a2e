#include "MovieAudio.h"

#include "SoundModule.h"

#include "sound/SoundMixer.h"

#include <algorithm>
#include <cstring>

namespace platform {

MovieAudio &MovieAudio::instance()
{
    // Never destroyed: the output's thread may pull until the program's end.
    static MovieAudio *audio = new MovieAudio;
    return *audio;
}

void MovieAudio::open()
{
    if (m_output)
        return;
    if (const soundmodule::Entries *module = soundmodule::loadedModule()) {
        m_output = module->open(&MovieAudio::pull, this);
        if (m_output)
            module->pause(m_output, m_paused.load());
    }
}

void MovieAudio::setSource(std::shared_ptr<swf::SoundMixer> mixer)
{
    m_current = mixer.get();
    std::shared_ptr<swf::SoundMixer> old;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        old.swap(m_source);
        m_source = std::move(mixer);
    }
    // The old mixer may go here, outside the lock.
    old.reset();
    if (m_current.load())
        open();
}

void MovieAudio::setPaused(bool paused)
{
    m_paused = paused;
    open();
    if (m_output)
        soundmodule::loadedModule()->pause(m_output, paused);
}

bool MovieAudio::running()
{
    open();
    return m_output && soundmodule::loadedModule()->running(m_output);
}

void MovieAudio::pull(void *self, std::int16_t *stereo, int frames)
{
    auto *audio = static_cast<MovieAudio *>(self);
    std::shared_ptr<swf::SoundMixer> source;
    if (!audio->m_paused.load()) {
        std::lock_guard<std::mutex> lock(audio->m_lock);
        source = audio->m_source;
    }
    if (source)
        source->mix(stereo, frames);
    else
        std::memset(stereo, 0, std::size_t(frames) * 4);
    if (frames <= 0)
        return;

    // What is heard changed (a stop, a play, another movie): the wave would
    // jump from the last value played to the new one, a click in the
    // loudspeaker. The first few milliseconds go from the one to the other.
    const void *heard = source.get();
    if (heard != audio->m_heard) {
        audio->m_heard = heard;
        const int n = std::min(frames, DeclickFrames);
        for (int i = 0; i < n; ++i) {
            const int in = i + 1, out = DeclickFrames - in;
            for (int c = 0; c < 2; ++c) {
                std::int16_t &v = stereo[2 * i + c];
                v = std::int16_t((v * in + audio->m_last[c] * out) / DeclickFrames);
            }
        }
    }
    audio->m_last[0] = stereo[2 * (frames - 1)];
    audio->m_last[1] = stereo[2 * (frames - 1) + 1];
}

} // namespace platform
