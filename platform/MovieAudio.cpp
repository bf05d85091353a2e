#include "MovieAudio.h"

#include "SoundModule.h"

#include "sound/SoundMixer.h"

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
}

} // namespace platform
