#include "sound/AdpcmDecoder.h"

#include "decode/DecodeError.h"

#include <algorithm>

namespace swf {

namespace {

// The IMA step sizes, 89 steps.
constexpr int StepSizes[89] = {
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66,
    73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408,
    449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066,
    2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794,
    32767};

// How the step index moves, by the code's magnitude bits, per code size.
constexpr int Index2[2] = {-1, 2};
constexpr int Index3[4] = {-1, -1, 2, 4};
constexpr int Index4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int Index5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int *IndexTables[4] = {Index2, Index3, Index4, Index5};

// MSB-first bits over a byte span; bitsLeft() tells whether a read fits.
class Bits
{
public:
    Bits(const char *data, std::size_t size)
        : m_data(reinterpret_cast<const unsigned char *>(data)), m_bits(std::uint64_t(size) * 8) {}
    std::uint64_t bitsLeft() const { return m_bits - m_pos; }
    unsigned read(int n)
    {
        unsigned v = 0;
        for (int i = 0; i < n; ++i, ++m_pos)
            v = (v << 1) | ((m_data[m_pos >> 3] >> (7 - (m_pos & 7))) & 1);
        return v;
    }

private:
    const unsigned char *m_data;
    std::uint64_t m_bits;
    std::uint64_t m_pos = 0;
};

struct Channel
{
    int sample = 0;
    int index = 0;
};

} // namespace

int AdpcmDecoder::codeBits(const char *data, std::size_t size)
{
    return size ? ((static_cast<unsigned char>(data[0]) >> 6) + 2) : 0;
}

int AdpcmDecoder::nextSample(int sample, int index, unsigned code, int bits)
{
    // The difference is built from shifted steps, as the players do, which
    // rounds differently from step * code / 2^(bits-2).
    const unsigned signBit = 1u << (bits - 1);
    int step = StepSizes[index];
    int difference = step >> (bits - 1);
    for (unsigned k = signBit >> 1; k; k >>= 1, step >>= 1) {
        if (code & k)
            difference += step;
    }
    return std::clamp(sample + ((code & signBit) ? -difference : difference), -32768, 32767);
}

int AdpcmDecoder::nextIndex(int index, unsigned code, int bits)
{
    const unsigned magnitude = (1u << (bits - 1)) - 1;
    return std::clamp(index + IndexTables[bits - 2][code & magnitude], 0, 88);
}

void AdpcmDecoder::decode(const char *data, std::size_t size, int channels, std::int64_t maxFrames,
                          std::vector<std::int16_t> &out)
{
    Bits in(data, size);
    const std::uint64_t headerBits = 22u * unsigned(channels);
    if (in.bitsLeft() < 2 + headerBits)
        throw DecodeError("ADPCM data too short for its header");
    const int bits = int(in.read(2)) + 2;
    Channel state[2];
    std::int64_t frames = 0;
    while (frames < maxFrames && in.bitsLeft() >= headerBits) {
        for (int c = 0; c < channels; ++c) {
            state[c].sample = std::int16_t(in.read(16));
            state[c].index = int(in.read(6));
            out.push_back(std::int16_t(state[c].sample));
        }
        ++frames;
        for (int n = 0; n < 4095 && frames < maxFrames
                        && in.bitsLeft() >= std::uint64_t(bits) * unsigned(channels); ++n, ++frames) {
            for (int c = 0; c < channels; ++c) {
                Channel &ch = state[c];
                const unsigned code = in.read(bits);
                ch.sample = nextSample(ch.sample, ch.index, code, bits);
                ch.index = nextIndex(ch.index, code, bits);
                out.push_back(std::int16_t(ch.sample));
            }
        }
    }
}

} // namespace swf
