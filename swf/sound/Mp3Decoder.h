#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace swf {

// MP3 through libmpg123, fed from memory. One decoder keeps the bit
// reservoir between calls, so a stream's blocks are fed to one decoder in
// order. Output is 16-bit at the file's own rate: no resampling, no gapless
// trimming (the movie's SeekSamples does that job), no read-ahead.
class Mp3Decoder
{
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder &) = delete;
    Mp3Decoder &operator=(const Mp3Decoder &) = delete;

    // Decodes what `data` completes, appending at most `maxFrames` frames
    // in the channel count of the first decoded frame. Throws DecodeError
    // when libmpg123 cannot be used or reports a hard error.
    void feed(const char *data, std::size_t size, std::int64_t maxFrames, std::vector<std::int16_t> &out);

    int rate() const { return m_rate; }          // 0 until a frame was decoded
    int channels() const { return m_channels; }  // 0 until a frame was decoded

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    int m_rate = 0;
    int m_channels = 0;
    int m_outChannels = 0;                       // of the current frame
};

} // namespace swf
