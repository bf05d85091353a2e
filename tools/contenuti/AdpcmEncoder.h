#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// Encodes 16-bit samples as the movie's ADPCM, 2 to 5 bits per code. Each
// call makes one whole bitstream (a DefineSound's data, or one stream
// block), with its code size and packets of 4096 samples; the step indices
// carry over from one call to the next, so a stream cut into blocks sounds
// as if it were one.
class AdpcmEncoder
{
public:
    AdpcmEncoder(int channels, int bits);

    // `samples` interleaved, `channels` per frame.
    QByteArray encode(const std::vector<int16_t> &samples);
    // Whether `frames` frames fill their last byte so that no further code
    // fits in its spare bits: a player decodes codes while bits remain, so
    // a stream block of any other length plays a stray sample at its end.
    bool fillsWholeBytes(int64_t frames) const;

private:
    struct Channel
    {
        int sample = 0;
        int index = 0;
    };
    unsigned code(Channel &channel, int target) const;

    int m_channels;
    int m_bits;
    Channel m_state[2];
};
