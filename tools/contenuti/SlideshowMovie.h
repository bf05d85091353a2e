#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

// A movie that shows pictures one after the other, each held a while and
// cross-faded into the next, the last back into the first, looping. The
// stage has the size of the pictures (all of one size).
class SlideshowMovie
{
public:
    static constexpr double kFramesPerSecond = 12.0;
    static constexpr int kHoldFrames = 24;
    static constexpr int kFadeFrames = 12;

    // 0-based frame in the middle of the pause on picture `index`.
    static int holdFrame(int index) { return index * (kHoldFrames + kFadeFrames) + kHoldFrames / 2; }

    static QByteArray write(const std::vector<QImage> &pictures);
};
