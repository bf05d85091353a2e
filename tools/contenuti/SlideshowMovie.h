#pragma once

#include "WavFile.h"

#include <QByteArray>
#include <QImage>
#include <vector>

// A movie that shows pictures one after the other, each held a while and
// cross-faded into the next, the last back into the first, looping. The
// stage has the size of the pictures (all of one size). With a sound, the
// sound plays under it as its stream, and the pictures are held longer
// when the sound lasts longer than one round of them.
class SlideshowMovie
{
public:
    static constexpr double kFramesPerSecond = 12.0;
    static constexpr int kHoldFrames = 24;
    static constexpr int kFadeFrames = 12;

    // 0-based frame in the middle of the pause on picture `index`.
    static int holdFrame(int index) { return index * (kHoldFrames + kFadeFrames) + kHoldFrames / 2; }

    // Frames each picture is held for: kHoldFrames, or more for a long sound.
    static int holdFrames(int pictures, const WavFile::Audio *sound);

    static QByteArray write(const std::vector<QImage> &pictures, const WavFile::Audio *sound = nullptr);
};
