#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// The RIFF/WAVE container for 16-bit PCM: written for the error sound,
// read back to check that a sound file is one the game can play.
class WavFile
{
public:
    static QByteArray pcm16Mono(const std::vector<int16_t> &samples, int sampleRate);

    struct Info
    {
        QString problem;        // empty when the file is playable PCM
        int channels = 0;
        int sampleRate = 0;
        int bitsPerSample = 0;
        double seconds = 0.0;
    };
    static Info inspect(const QByteArray &bytes);

    // A teacher's sound: any PCM WAV, 8 or 16 bit, mono or stereo, at any
    // rate, as 16-bit samples (channels interleaved).
    struct Audio
    {
        std::vector<int16_t> samples;
        int rate = 0;
        int channels = 0;
        double seconds() const { return rate && channels ? double(samples.size()) / channels / rate : 0.0; }
    };
    // Empty samples, with `problem` saying why in Italian, when the bytes
    // are not such a file.
    static Audio read(const QByteArray &bytes, QString *problem);
    // `audio` at `rate`, by linear interpolation.
    static Audio resampled(const Audio &audio, int rate);
};
