#pragma once

#include "sound/SoundFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

// Uncompressed samples (codecs 0 and 3): 8-bit unsigned centred on 128, or
// 16-bit signed. Codec 0 is "the machine's own order"; the authoring tools
// that made such files ran on little-endian machines, so both are read
// little-endian.
class PcmDecoder
{
public:
    // Appends at most `maxFrames` frames; a trailing partial frame is dropped.
    static void decode(const SoundFormat &format, const char *data, std::size_t size,
                       std::int64_t maxFrames, std::vector<std::int16_t> &out);
};

} // namespace swf
