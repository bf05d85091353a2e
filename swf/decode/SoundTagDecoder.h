#pragma once

#include "decode/BitReader.h"
#include "MovieInfo.h"
#include "sound/SoundData.h"
#include "sound/SoundFormat.h"
#include "sound/SoundInfo.h"

#include <QHash>
#include <array>
#include <memory>

namespace swf {

class Mp3Decoder;
struct Frame;

// The sound tags: DefineSound decoded to samples at once, StartSound and
// DefineButtonSound as records, and a timeline's stream (SoundStreamHead,
// SoundStreamHead2, SoundStreamBlock) decoded block by block in file order.
// Sounds it cannot play are noted in MovieInfo::soundProblems and left out;
// a sound that cannot be decoded never makes the movie unreadable.
class SoundTagDecoder
{
public:
    // One timeline's stream while its tags are read.
    struct Stream
    {
        Stream();
        ~Stream();
        bool present = false;        // a head was read, with a codec played
        SoundFormat format;
        std::unique_ptr<Mp3Decoder> mp3;
    };

    // What could not be played, in file order.
    const QList<MovieInfo::SoundProblem> &problems() const { return m_problems; }

    void defineSound(BitReader &body, QHash<int, SoundDataPtr> &sounds);
    static SoundStart startSound(BitReader &body);
    static SoundInfo soundInfo(BitReader &body);
    void streamHead(BitReader &body, Stream &stream);
    void streamBlock(BitReader &body, Stream &stream, Frame &frame);
    // The sounds of a button's four transitions: out to idle, idle to over,
    // over to down, down to over; sound id 0 where none.
    static std::array<SoundStart, 4> buttonSound(BitReader &body, int *buttonId);

    // Decoded samples one movie may hold, all sounds and blocks together:
    // about ten minutes of 44.1 kHz stereo.
    static constexpr std::int64_t MaxSamples = std::int64_t(1) << 26;

private:
    void problem(MovieInfo::SoundProblem::Kind kind, int soundId);
    std::int64_t framesLeft(int channels) const { return (MaxSamples - m_samples) / channels; }

    QList<MovieInfo::SoundProblem> m_problems;
    std::int64_t m_samples = 0;
};

} // namespace swf
