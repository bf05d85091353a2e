#include "SlideshowMovie.h"

#include "SwfWriter.h"

#include <cmath>

int SlideshowMovie::holdFrames(int pictures, const WavFile::Audio *sound)
{
    if (!sound || pictures <= 0)
        return kHoldFrames;
    const double frames = std::ceil(sound->seconds() * kFramesPerSecond);
    return std::max(kHoldFrames, int(std::ceil((frames - pictures * kFadeFrames) / pictures)));
}

QByteArray SlideshowMovie::write(const std::vector<QImage> &pictures, const WavFile::Audio *sound)
{
    const QSize size = pictures.front().size();
    SwfWriter swf(size, kFramesPerSecond, Qt::white);
    const int hold = holdFrames(int(pictures.size()), sound);
    if (sound && !sound->samples.empty())
        swf.setStreamSound(sound->samples, sound->rate, sound->channels);
    std::vector<int> shapes;
    for (const QImage &picture : pictures)
        shapes.push_back(swf.defineBitmapShape(swf.defineBitmap(picture), size));

    // The picture on show always sits at depth 1; during a fade the next
    // one comes in above it at depth 2 and, once opaque, takes depth 1
    // back, so every frame's display list is the same on each loop.
    const SwfMatrix identity;
    const int count = int(shapes.size());
    for (int k = 0; k < count; ++k) {
        const int next = shapes[size_t((k + 1) % count)];
        for (int f = 0; f < hold; ++f) {
            if (f == 0) {
                if (k > 0) {
                    swf.remove(1);
                    swf.remove(2);
                }
                swf.place(1, shapes[size_t(k)], identity, {});
            }
            swf.showFrame();
        }
        for (int f = 1; f <= kFadeFrames; ++f) {
            SwfColorTransform fade;
            fade.mult[3] = 256 * f / kFadeFrames;
            if (f == 1)
                swf.place(2, next, identity, fade);
            else
                swf.move(2, identity, fade);
            swf.showFrame();
        }
    }
    return swf.finish();
}
