#pragma once

#include "SwfRecords.h"
#include "Story.h"

#include <vector>

// How one part looks in one frame of the movie, already rounded to what
// the movie stores.
struct PartFrame
{
    bool visible = false;
    SwfMatrix matrix;
    SwfColorTransform color;
    int morph = 0;      // morphing parts: the morph from scene `morph` to the next
    int ratio = 0;      // 0..65535 along that morph
};

// The movie's timing: each scene holds still, then eases into the next;
// after the last scene a white veil (Scenery::veil) fades in over it, the
// first scene takes its place under the veil, the veil fades out, and the
// movie loops.
class StoryTimeline
{
public:
    static constexpr double kFramesPerSecond = 12.0;
    static constexpr int kHoldFrames = 18;
    static constexpr int kTransitionFrames = 12;
    static constexpr int kFrames = kScenes * (kHoldFrames + kTransitionFrames);

    // 0-based frame in the middle of the pause on scene `scene`.
    static int holdFrame(int scene) { return scene * (kHoldFrames + kTransitionFrames) + kHoldFrames / 2; }

    explicit StoryTimeline(const Story &story) : m_story(story) {}
    std::vector<PartFrame> frame(int index) const;
    // The veil's colours at frame `index`: white with its opacity, which is
    // zero while no veil shows.
    static SwfColorTransform veil(int index);

private:
    const Story &m_story;
};
