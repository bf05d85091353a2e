#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

// The movie's ADPCM: one bitstream read most significant bit first, a
// 2-bit code size (2 to 5 bits per code), then packets of 4096 samples per
// channel: a 16-bit initial sample (itself played) and a 6-bit step index
// for each channel, then 4095 codes, channels alternating. The last packet
// may be short. Every DefineSound and every stream block is a bitstream of
// its own.
class AdpcmDecoder
{
public:
    // Appends at most `maxFrames` frames. Throws DecodeError when the data
    // cannot hold its code size and the first packet's header.
    static void decode(const char *data, std::size_t size, int channels, std::int64_t maxFrames,
                       std::vector<std::int16_t> &out);
    // Bits per code that the data declares (2 to 5), or 0 when empty.
    static int codeBits(const char *data, std::size_t size);
    // One code of `bits` bits applied to a channel's last sample and step
    // index (0..88), as the players reconstruct them; an encoder predicts
    // with the same arithmetic.
    static int nextSample(int sample, int index, unsigned code, int bits);
    static int nextIndex(int index, unsigned code, int bits);
};

} // namespace swf
