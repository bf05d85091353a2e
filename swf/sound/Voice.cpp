#include "sound/Voice.h"

#include "display/Timeline.h"

#include <algorithm>

namespace swf {

namespace {
constexpr int OutputRate = 44100;

// Output frames a sound of `frames` frames at `rate` lasts at 44.1 kHz.
std::int64_t length44(std::int64_t frames, int rate)
{
    return (frames * OutputRate + rate - 1) / rate;
}
} // namespace

Voice Voice::event(int soundId, SoundDataPtr sound, const SoundInfo &info)
{
    Voice v;
    v.m_soundId = soundId;
    v.m_info = info;
    const std::int64_t length = length44(sound->frames(), sound->rate);
    v.m_begin = std::min<std::int64_t>(info.inPoint.value_or(0), length);
    v.m_end = info.outPoint ? std::clamp<std::int64_t>(*info.outPoint, v.m_begin, length) : length;
    v.m_loopsLeft = std::max(1, info.loops);
    v.m_data = std::move(sound);
    v.seek(v.m_begin);
    return v;
}

Voice Voice::stream(const void *clip, const Timeline *timeline, int frame, bool leads)
{
    Voice v;
    v.m_clip = clip;
    v.m_timeline = timeline;
    v.m_leads = leads;
    if (v.nextBlock(frame)) {
        const Frame &f = timeline->frames[std::size_t(v.m_frame)];
        v.m_source = std::min<std::int64_t>(f.streamSkip, v.m_data->frames());
    }
    return v;
}

void Voice::seek(std::int64_t position44)
{
    m_at = position44 - m_begin;
    const std::int64_t scaled = position44 * m_data->rate;
    m_source = scaled / OutputRate;
    m_phase = int(scaled % OutputRate);
}

// Moves the stream to the first block at or after frame `from`.
bool Voice::nextBlock(int from)
{
    m_data.reset();
    const int count = int(m_timeline->frames.size());
    for (int f = std::max(0, from); f < count; ++f) {
        if (const SoundDataPtr &block = m_timeline->frames[std::size_t(f)].streamBlock) {
            m_data = block;
            m_frame = f;
            m_source = 0;
            return true;
        }
    }
    m_frame = -1;
    return false;
}

void Voice::level(std::int64_t t, int *left, int *right) const
{
    const auto &env = m_info.envelope;
    auto at = std::upper_bound(env.begin(), env.end(), t,
                               [](std::int64_t v, const SoundInfo::EnvelopePoint &p) { return v < p.position; });
    if (at == env.begin()) {
        *left = env.front().left;
        *right = env.front().right;
    } else if (at == env.end()) {
        *left = env.back().left;
        *right = env.back().right;
    } else {
        const auto &a = *(at - 1), &b = *at;
        const std::int64_t span = std::int64_t(b.position) - a.position;
        const std::int64_t into = t - a.position;
        *left = int(a.left + (std::int64_t(b.left) - a.left) * into / span);
        *right = int(a.right + (std::int64_t(b.right) - a.right) * into / span);
    }
}

bool Voice::mix(std::int32_t *mix, int frames)
{
    int i = 0;
    while (i < frames) {
        if (!m_data)
            return false;
        const std::int64_t available = m_data->frames();
        if (m_timeline) {
            // Past the end of a block the stream goes on with the next one.
            if (m_source >= available) {
                const int ran = m_frame;
                if (nextBlock(ran + 1))
                    continue;
                // The last frame's block ran out: the timeline comes round to
                // its first frame next, and the sound, ahead of the pictures
                // by the device's buffer, goes there now rather than falling
                // silent until they catch up. The pictures' own loop then
                // finds it already playing (SoundMixer).
                const int last = int(m_timeline->frames.size()) - 1;
                if (ran == last && last > 0 && nextBlock(0)) {
                    m_wrapped = true;
                    m_source = std::min<std::int64_t>(m_timeline->frames[std::size_t(m_frame)].streamSkip,
                                                      m_data->frames());
                    continue;
                }
                return false;
            }
        } else {
            if (m_at >= m_end - m_begin) {
                if (--m_loopsLeft <= 0 || m_end <= m_begin)
                    return false;
                seek(m_begin);
                continue;
            }
            if (m_source >= available)
                return false;
        }
        // A run of output frames within this block, or this play of the span.
        std::int64_t run = frames - i;
        if (!m_timeline)
            run = std::min(run, m_end - m_begin - m_at);
        const int channels = m_data->channels;
        const int rate = m_data->rate;
        const std::int16_t *samples = m_data->samples.data();
        std::int32_t *out = mix + 2 * i;
        int done = 0;
        if (m_info.envelope.empty()) {
            for (; done < run && m_source < available; ++done) {
                const std::int16_t *s = samples + m_source * channels;
                out[2 * done] += s[0];
                out[2 * done + 1] += s[channels - 1];
                for (m_phase += rate; m_phase >= OutputRate; m_phase -= OutputRate)
                    ++m_source;
            }
        } else {
            for (; done < run && m_source < available; ++done) {
                const std::int16_t *s = samples + m_source * channels;
                int l = 0, r = 0;
                level(m_clock + done, &l, &r);
                out[2 * done] += s[0] * l / 32768;
                out[2 * done + 1] += s[channels - 1] * r / 32768;
                for (m_phase += rate; m_phase >= OutputRate; m_phase -= OutputRate)
                    ++m_source;
            }
        }
        m_at += done;
        m_clock += done;
        i += done;
    }
    return true;
}

} // namespace swf
