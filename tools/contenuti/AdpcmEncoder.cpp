#include "AdpcmEncoder.h"

#include "BitWriter.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The decoder's tables (the IMA steps and the index moves per code size);
// the encoder must predict exactly what the player will reconstruct.
constexpr int kSteps[89] = {
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66,
    73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408,
    449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066,
    2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794,
    32767};
constexpr int kIndex2[2] = {-1, 2};
constexpr int kIndex3[4] = {-1, -1, 2, 4};
constexpr int kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int *kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

int reconstruct(int sample, int index, unsigned code, int bits)
{
    int step = kSteps[index];
    int difference = step >> (bits - 1);
    const unsigned sign = 1u << (bits - 1);
    for (unsigned k = sign >> 1; k; k >>= 1, step >>= 1)
        if (code & k)
            difference += step;
    return std::clamp(sample + ((code & sign) ? -difference : difference), -32768, 32767);
}

} // namespace

AdpcmEncoder::AdpcmEncoder(int channels, int bits)
    : m_channels(std::clamp(channels, 1, 2)), m_bits(std::clamp(bits, 2, 5))
{
}

// The code whose reconstruction lands nearest the target: with at most 32
// codes, trying them all is cheap and never disagrees with the decoder.
unsigned AdpcmEncoder::code(Channel &channel, int target) const
{
    unsigned best = 0;
    int bestValue = 0, bestError = -1;
    for (unsigned c = 0; c < (1u << m_bits); ++c) {
        const int value = reconstruct(channel.sample, channel.index, c, m_bits);
        const int error = std::abs(value - target);
        if (bestError < 0 || error < bestError) {
            best = c;
            bestValue = value;
            bestError = error;
        }
    }
    channel.sample = bestValue;
    const unsigned magnitude = (1u << (m_bits - 1)) - 1;
    channel.index = std::clamp(channel.index + kIndexTables[m_bits - 2][best & magnitude], 0, 88);
    return best;
}

bool AdpcmEncoder::fillsWholeBytes(int64_t frames) const
{
    if (frames <= 0)
        return true;
    const int64_t packets = (frames + 4095) / 4096;
    const int64_t bits = 2 + packets * 22 * m_channels + (frames - packets) * m_bits * m_channels;
    return (8 - bits % 8) % 8 < m_bits * m_channels;
}

QByteArray AdpcmEncoder::encode(const std::vector<int16_t> &samples)
{
    BitWriter out;
    out.writeUB(uint32_t(m_bits - 2), 2);
    const size_t frames = samples.size() / size_t(m_channels);
    for (size_t at = 0; at < frames; at += 4096) {
        for (int c = 0; c < m_channels; ++c) {
            Channel &ch = m_state[c];
            ch.sample = samples[at * size_t(m_channels) + size_t(c)];
            // The header's index field has six bits: steps above 63 cannot
            // be carried into a packet.
            ch.index = std::min(ch.index, 63);
            out.writeUB(uint32_t(uint16_t(int16_t(ch.sample))), 16);
            out.writeUB(uint32_t(ch.index), 6);
        }
        const size_t end = std::min(frames, at + 4096);
        for (size_t f = at + 1; f < end; ++f)
            for (int c = 0; c < m_channels; ++c)
                out.writeUB(code(m_state[c], samples[f * size_t(m_channels) + size_t(c)]), m_bits);
    }
    out.align();
    return out.bytes();
}
