#include "sound/Mp3Decoder.h"

#include "decode/DecodeError.h"

#include <mpg123.h>

#include <mutex>
#include <string>

namespace swf {

struct Mp3Decoder::Handle
{
    mpg123_handle *mh = nullptr;
    ~Handle()
    {
        if (mh)
            mpg123_delete(mh);
    }
};

Mp3Decoder::Mp3Decoder() : m_handle(new Handle)
{
    // Needed by libmpg123 before 1.27, harmless after; once per process.
    static std::once_flag init;
    std::call_once(init, [] { mpg123_init(); });
    int error = MPG123_OK;
    m_handle->mh = mpg123_new(nullptr, &error);
    if (!m_handle->mh)
        throw DecodeError(std::string("MP3 decoder unavailable: ") + mpg123_plain_strerror(error));
    mpg123_handle *mh = m_handle->mh;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_READAHEAD, 0.0);
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS | MPG123_AUTO_RESAMPLE, 0.0);
    mpg123_format_none(mh);
    // Every rate the file may have, as it is: 16-bit signed, mono or stereo.
    if (mpg123_format2(mh, 0, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK
        || mpg123_open_feed(mh) != MPG123_OK)
        throw DecodeError(std::string("MP3 decoder unavailable: ") + mpg123_strerror(mh));
}

Mp3Decoder::~Mp3Decoder() = default;

void Mp3Decoder::feed(const char *data, std::size_t size, std::int64_t maxFrames,
                      std::vector<std::int16_t> &out)
{
    mpg123_handle *mh = m_handle->mh;
    const auto *in = reinterpret_cast<const unsigned char *>(data);
    std::size_t inSize = size;
    unsigned char buffer[16384];
    std::int64_t frames = 0;
    // A hostile stream that never makes progress cannot loop forever.
    for (int rounds = 0; rounds < 1 << 20; ++rounds) {
        std::size_t done = 0;
        const int result = mpg123_decode(mh, in, inSize, buffer, sizeof buffer, &done);
        in = nullptr;
        inSize = 0;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(mh, &rate, &channels, &encoding);
            m_outChannels = channels == 2 ? 2 : 1;
            if (!m_rate) {
                m_rate = int(rate);
                m_channels = m_outChannels;
            }
        }
        if (done && m_channels) {
            const auto *samples = reinterpret_cast<const std::int16_t *>(buffer);
            const std::size_t count = done / 2 / std::size_t(m_outChannels);
            for (std::size_t i = 0; i < count && frames < maxFrames; ++i, ++frames) {
                // A stream that changes its channels mid-way keeps the first count.
                if (m_channels == m_outChannels) {
                    for (int c = 0; c < m_channels; ++c)
                        out.push_back(samples[i * m_outChannels + c]);
                } else if (m_channels == 1) {
                    out.push_back(std::int16_t((samples[2 * i] + samples[2 * i + 1]) / 2));
                } else {
                    out.push_back(samples[i]);
                    out.push_back(samples[i]);
                }
            }
        }
        if (result == MPG123_ERR)
            throw DecodeError(std::string("MP3 data does not decode: ") + mpg123_strerror(mh));
        if (result == MPG123_NEED_MORE || result == MPG123_DONE || frames >= maxFrames)
            return;
    }
}

} // namespace swf
