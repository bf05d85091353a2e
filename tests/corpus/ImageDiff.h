#pragma once

#include <QImage>

// How far a rendered picture is from a reference, for one channel tolerance.
struct ImageDiff
{
    long long pixels = 0;            // pixels compared
    long long differingPixels = 0;   // pixels with a channel past the tolerance
    long long outlierChannels = 0;   // channel values past the tolerance (R, G, B, A)
    int largest = 0;                 // the largest channel difference seen
    bool sizeMismatch = false;

    double differingShare() const { return pixels ? double(differingPixels) / pixels : 1.0; }
    // The project's rule: at most 0.5% of the pixels past the tolerance, or
    // no more outlier channels than the test allows.
    bool passes(long long maxOutliers) const
    {
        return !sizeMismatch && (differingPixels * 200 <= pixels || outlierChannels <= maxOutliers);
    }

    static ImageDiff compare(const QImage &rendered, const QImage &reference, int tolerance);
};
