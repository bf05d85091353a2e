#include "sound/SoundMixer.h"

#include "Movie.h"
#include "sound/Voice.h"

#include <algorithm>

namespace swf {

namespace {
// Commands waiting while nothing mixes (a player that is never heard) stop
// being taken here.
constexpr std::size_t MaxQueued = 4096;
} // namespace

struct SoundMixer::Command
{
    enum class Kind { Start, Stream, StopStream, StopAll };
    explicit Command(Kind k) : kind(k) {}
    Kind kind;
    int soundId = 0;
    SoundDataPtr sound;
    SoundInfo info;
    const void *clip = nullptr;
    const Timeline *timeline = nullptr;
    int frame = 0;
    bool root = false;
};

SoundMixer::SoundMixer(std::shared_ptr<const Movie> movie) : m_movie(std::move(movie)) {}

SoundMixer::~SoundMixer() = default;

void SoundMixer::post(Command command)
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (m_queue.size() < MaxQueued || command.kind == Command::Kind::StopAll)
        m_queue.push_back(std::move(command));
}

void SoundMixer::enterFrame(const void *clip, const Timeline &timeline, int frame, bool jumped, bool root)
{
    const Frame &f = timeline.frames[std::size_t(frame)];
    for (const SoundStart &start : f.sounds)
        startSound(start.soundId, start.info);
    if (!timeline.hasStream)
        return;
    if (!jumped && m_streaming.count(clip))
        return;
    m_streaming.insert(clip);
    Command c(Command::Kind::Stream);
    c.clip = clip;
    c.timeline = &timeline;
    c.frame = frame;
    c.root = root;
    post(std::move(c));
}

void SoundMixer::stopStream(const void *clip)
{
    if (m_streaming.erase(clip) == 0)
        return;
    Command c(Command::Kind::StopStream);
    c.clip = clip;
    post(std::move(c));
}

void SoundMixer::startSound(int soundId, const SoundInfo &info)
{
    Command c(Command::Kind::Start);
    c.soundId = soundId;
    c.info = info;
    if (!info.stop) {
        c.sound = m_movie->sound(soundId);
        if (!c.sound)
            return; // not a sound, or one the engine cannot play
    }
    post(std::move(c));
}

void SoundMixer::stopAll()
{
    m_streaming.clear();
    post(Command(Command::Kind::StopAll));
}

void SoundMixer::apply(const Command &c)
{
    switch (c.kind) {
    case Command::Kind::Start: {
        const auto same = [&c](const Voice &v) { return v.soundId() == c.soundId; };
        if (c.info.stop) {
            m_voices.erase(std::remove_if(m_voices.begin(), m_voices.end(), same), m_voices.end());
            return;
        }
        if (c.info.noMultiple && std::any_of(m_voices.begin(), m_voices.end(), same))
            return;
        if (int(m_voices.size()) < MaxVoices)
            m_voices.push_back(Voice::event(c.soundId, c.sound, c.info));
        return;
    }
    case Command::Kind::Stream: {
        // A timeline has one stream: starting it again replaces it, unless
        // this is the loop to the first frame that the stream already went
        // round to by itself.
        for (Voice &v : m_voices) {
            if (v.clip() == c.clip && v.wrapped() && c.frame == 0) {
                v.clearWrapped();
                return;
            }
            if (v.clip() == c.clip) {
                v = Voice::stream(c.clip, c.timeline, c.frame, c.root);
                return;
            }
        }
        if (int(m_voices.size()) < MaxVoices)
            m_voices.push_back(Voice::stream(c.clip, c.timeline, c.frame, c.root));
        return;
    }
    case Command::Kind::StopStream:
        m_voices.erase(std::remove_if(m_voices.begin(), m_voices.end(),
                                      [&c](const Voice &v) { return v.clip() == c.clip; }),
                       m_voices.end());
        return;
    case Command::Kind::StopAll:
        m_voices.clear();
        return;
    }
}

void SoundMixer::mix(std::int16_t *out, int frames)
{
    if (frames <= 0)
        return;
    std::lock_guard<std::mutex> mixing(m_mixLock);
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_taken.swap(m_queue);
    }
    for (const Command &c : m_taken)
        apply(c);
    m_taken.clear();

    m_sum.assign(std::size_t(frames) * 2, 0);
    bool leads = false;
    for (auto v = m_voices.begin(); v != m_voices.end();) {
        if (v->mix(m_sum.data(), frames)) {
            leads = leads || v->leads();
            ++v;
        } else {
            v = m_voices.erase(v);
        }
    }
    if (out) {
        for (std::size_t i = 0; i < m_sum.size(); ++i)
            out[i] = std::int16_t(std::clamp(m_sum[i], -32768, 32767));
    }
    m_mixed.fetch_add(frames, std::memory_order_relaxed);
    m_leads.store(leads, std::memory_order_relaxed);
    m_voiceCount.store(int(m_voices.size()), std::memory_order_relaxed);
}

} // namespace swf
