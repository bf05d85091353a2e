#include "decode/SoundTagDecoder.h"

#include "display/Timeline.h"
#include "sound/AdpcmDecoder.h"
#include "sound/Mp3Decoder.h"
#include "sound/PcmDecoder.h"

#include <algorithm>

namespace swf {

SoundTagDecoder::Stream::Stream() = default;
SoundTagDecoder::Stream::~Stream() = default;

void SoundTagDecoder::problem(MovieInfo::SoundProblem::Kind kind, int soundId)
{
    if (m_problems.size() < 100)
        m_problems.append({kind, soundId});
}

SoundInfo SoundTagDecoder::soundInfo(BitReader &body)
{
    SoundInfo info;
    const int flags = body.u8();
    info.stop = flags & 0x20;
    info.noMultiple = flags & 0x10;
    if (flags & 0x01)
        info.inPoint = body.u32();
    if (flags & 0x02)
        info.outPoint = body.u32();
    if (flags & 0x04)
        info.loops = std::max<int>(1, body.u16());
    if (flags & 0x08) {
        const int points = body.u8();
        for (int i = 0; i < points; ++i) {
            SoundInfo::EnvelopePoint p;
            p.position = body.u32();
            p.left = std::min<int>(body.u16(), 32768);
            p.right = std::min<int>(body.u16(), 32768);
            info.envelope.push_back(p);
        }
        // The level runs between neighbours in time, whatever order the
        // file lists them in.
        std::stable_sort(info.envelope.begin(), info.envelope.end(),
                         [](const auto &a, const auto &b) { return a.position < b.position; });
    }
    return info;
}

SoundStart SoundTagDecoder::startSound(BitReader &body)
{
    SoundStart start;
    start.soundId = body.u16();
    start.info = soundInfo(body);
    return start;
}

std::array<SoundStart, 4> SoundTagDecoder::buttonSound(BitReader &body, int *buttonId)
{
    std::array<SoundStart, 4> sounds;
    *buttonId = body.u16();
    for (SoundStart &s : sounds) {
        if (body.atEnd())
            break;
        s.soundId = body.u16();
        if (s.soundId)
            s.info = soundInfo(body);
    }
    return sounds;
}

void SoundTagDecoder::defineSound(BitReader &body, QHash<int, SoundDataPtr> &sounds)
{
    using Kind = MovieInfo::SoundProblem::Kind;
    const int id = body.u16();
    const SoundFormat format = SoundFormat::fromBits(body.u8());
    const std::int64_t declared = body.u32();
    const char *data = body.data() + body.position();
    const std::size_t size = body.remaining();
    if (sounds.contains(id))
        return; // the first definition of an id wins
    if (format.isNellymoser() || format.codec == SoundFormat::Speex
        || (format.codec != SoundFormat::PcmNative && format.codec != SoundFormat::PcmLittle
            && format.codec != SoundFormat::Adpcm && format.codec != SoundFormat::Mp3)) {
        problem(format.isNellymoser() ? Kind::Nellymoser : Kind::Unsupported, id);
        throw DecodeError("sound format not played");
    }
    auto sound = std::make_shared<SoundData>();
    sound->rate = format.rate;
    sound->channels = format.channels();
    const std::int64_t room = std::min(declared, framesLeft(sound->channels));
    try {
        switch (format.codec) {
        case SoundFormat::Adpcm:
            AdpcmDecoder::decode(data, size, sound->channels, room, sound->samples);
            break;
        case SoundFormat::Mp3: {
            if (size < 2)
                throw DecodeError("MP3 sound without its SeekSamples");
            // The first samples are the encoder's latency, to be skipped.
            const int seek = std::max<int>(0, std::int16_t(quint8(data[0]) | (quint8(data[1]) << 8)));
            Mp3Decoder mp3;
            std::vector<std::int16_t> all;
            mp3.feed(data + 2, size - 2, framesLeft(2), all);
            if (mp3.rate() == 0 && size > 2)
                throw DecodeError("MP3 data holds no frame that decodes");
            if (mp3.rate()) {
                sound->rate = mp3.rate();
                sound->channels = mp3.channels();
            }
            const std::size_t skip = std::min(all.size(), std::size_t(seek) * sound->channels);
            sound->samples.assign(all.begin() + std::ptrdiff_t(skip), all.end());
            break;
        }
        default:
            PcmDecoder::decode(format, data, size, room, sound->samples);
            break;
        }
    } catch (const DecodeError &) {
        problem(format.codec == SoundFormat::Mp3 ? Kind::BadMp3 : Kind::BadAdpcm, id);
        throw;
    }
    m_samples += std::int64_t(sound->samples.size());
    sounds.insert(id, std::move(sound));
}

void SoundTagDecoder::streamHead(BitReader &body, Stream &stream)
{
    using Kind = MovieInfo::SoundProblem::Kind;
    body.u8(); // the playback format: advice only
    const SoundFormat format = SoundFormat::fromBits(body.u8());
    body.u16(); // the average block size: each block says its own
    stream.present = false;
    stream.mp3.reset();
    stream.format = format;
    switch (format.codec) {
    case SoundFormat::PcmNative: case SoundFormat::PcmLittle: case SoundFormat::Adpcm:
        stream.present = true;
        break;
    case SoundFormat::Mp3:
        stream.present = true;
        stream.mp3 = std::make_unique<Mp3Decoder>();
        break;
    default:
        problem(format.isNellymoser() ? Kind::Nellymoser : Kind::Unsupported, 0);
        throw DecodeError("stream format not played");
    }
}

void SoundTagDecoder::streamBlock(BitReader &body, Stream &stream, Frame &frame)
{
    using Kind = MovieInfo::SoundProblem::Kind;
    if (!stream.present)
        throw DecodeError("stream block without a stream head");
    auto block = std::make_shared<SoundData>();
    block->rate = stream.format.rate;
    block->channels = stream.format.channels();
    const std::int64_t room = framesLeft(block->channels);
    int skip = 0;
    try {
        if (stream.format.codec == SoundFormat::Mp3) {
            body.u16(); // SampleCount: the frames' own
            skip = std::max<int>(0, body.s16());
            const std::size_t size = body.remaining();
            stream.mp3->feed(body.data() + body.position(), size, room, block->samples);
            if (stream.mp3->rate()) {
                block->rate = stream.mp3->rate();
                block->channels = stream.mp3->channels();
            }
        } else if (stream.format.codec == SoundFormat::Adpcm) {
            AdpcmDecoder::decode(body.data() + body.position(), body.remaining(), block->channels, room,
                                 block->samples);
        } else {
            PcmDecoder::decode(stream.format, body.data() + body.position(), body.remaining(), room,
                               block->samples);
        }
    } catch (const DecodeError &) {
        // One bad block is reported once per stream, not once per frame.
        const Kind kind = stream.format.codec == SoundFormat::Mp3 ? Kind::BadMp3 : Kind::BadAdpcm;
        bool known = false;
        for (const auto &p : m_problems)
            known = known || (p.kind == kind && p.soundId == 0);
        if (!known)
            problem(kind, 0);
        throw;
    }
    m_samples += std::int64_t(block->samples.size());
    frame.streamBlock = std::move(block);
    frame.streamSkip = skip;
}

} // namespace swf
