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
};
