#include "sound/PcmDecoder.h"

#include <algorithm>

namespace swf {

void PcmDecoder::decode(const SoundFormat &format, const char *data, std::size_t size,
                        std::int64_t maxFrames, std::vector<std::int16_t> &out)
{
    const int bytes = format.sixteenBit ? 2 : 1;
    const std::int64_t frames = std::min<std::int64_t>(maxFrames, std::int64_t(size) / (bytes * format.channels()));
    if (frames <= 0)
        return;
    const std::size_t count = std::size_t(frames) * format.channels();
    const auto *in = reinterpret_cast<const unsigned char *>(data);
    out.reserve(out.size() + count);
    if (format.sixteenBit) {
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(std::int16_t(in[2 * i] | (in[2 * i + 1] << 8)));
    } else {
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(std::int16_t((in[i] - 128) * 256));
    }
}

} // namespace swf
