#pragma once

#include <cstdint>

namespace swf {

// The four bytes of format that DefineSound and the stream heads share:
// codec, rate, sample size and channels.
struct SoundFormat
{
    enum Codec { PcmNative = 0, Adpcm = 1, Mp3 = 2, PcmLittle = 3, Nellymoser16k = 4,
                 Nellymoser8k = 5, Nellymoser = 6, Speex = 11 };

    int codec = PcmLittle;
    int rate = 44100;                // Hz: 5512, 11025, 22050 or 44100
    bool sixteenBit = true;
    bool stereo = false;

    int channels() const { return stereo ? 2 : 1; }
    bool isNellymoser() const { return codec >= Nellymoser16k && codec <= Nellymoser; }

    // The high nibble is the codec, then two bits of rate, one of size and
    // one of channels.
    static SoundFormat fromBits(std::uint8_t bits)
    {
        static constexpr int rates[4] = {5512, 11025, 22050, 44100};
        SoundFormat f;
        f.codec = bits >> 4;
        f.rate = rates[(bits >> 2) & 3];
        f.sixteenBit = bits & 2;
        f.stereo = bits & 1;
        return f;
    }
};

} // namespace swf
