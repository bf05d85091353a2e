#include "AdpcmEncoder.h"

#include "BitWriter.h"
#include "sound/AdpcmDecoder.h"

#include <algorithm>
#include <cstdlib>

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
        const int value = swf::AdpcmDecoder::nextSample(channel.sample, channel.index, c, m_bits);
        const int error = std::abs(value - target);
        if (bestError < 0 || error < bestError) {
            best = c;
            bestValue = value;
            bestError = error;
        }
    }
    // The decoder's own arithmetic: the encoder predicts exactly what the
    // player will reconstruct.
    channel.sample = bestValue;
    channel.index = swf::AdpcmDecoder::nextIndex(channel.index, best, m_bits);
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
