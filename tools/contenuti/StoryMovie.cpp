#include "StoryMovie.h"

#include "Scenery.h"
#include "Story.h"
#include "StoryMusic.h"
#include "StoryTimeline.h"
#include "SwfWriter.h"

#include <optional>

QByteArray StoryMovie::write(const Story &story)
{
    SwfWriter swf(QSize(Story::kStageSize, Story::kStageSize), StoryTimeline::kFramesPerSecond, Qt::white);
    swf.setStreamSound(StoryMusic::samples(story.name()), StoryMusic::kRate, 1);

    // characters[i]: the sprite of part i, or its morphs scene by scene.
    std::vector<std::vector<int>> characters;
    for (const StoryPart &part : story.parts()) {
        std::vector<int> ids;
        if (part.isMorph()) {
            for (int k = 0; k + 1 < kScenes; ++k)
                ids.push_back(swf.defineMorphShape(part.sceneShape(k), part.sceneShape(k + 1)));
        } else {
            std::vector<int> shapes;
            for (const VectorShape &shape : part.drawing())
                shapes.push_back(swf.defineShape(shape));
            ids.push_back(swf.defineGroupSprite(shapes));
        }
        characters.push_back(ids);
    }
    const int veil = swf.defineShape(Scenery::veil());
    const int veilDepth = int(story.parts().size()) + 1;
    std::optional<SwfColorTransform> veiled;

    struct OnStage
    {
        int character;
        PartFrame frame;
    };
    std::vector<std::optional<OnStage>> stage(story.parts().size());
    const StoryTimeline timeline(story);
    for (int f = 0; f < StoryTimeline::kFrames; ++f) {
        const std::vector<PartFrame> frames = timeline.frame(f);
        for (size_t i = 0; i < frames.size(); ++i) {
            const int depth = int(i) + 1;
            const PartFrame &now = frames[i];
            const bool morph = story.parts()[i].isMorph();
            if (!now.visible) {
                if (stage[i])
                    swf.remove(depth);
                stage[i].reset();
                continue;
            }
            const int character = characters[i][morph ? size_t(now.morph) : 0];
            const int ratio = morph ? now.ratio : -1;
            if (stage[i] && stage[i]->character != character) {
                swf.remove(depth);
                stage[i].reset();
            }
            if (!stage[i]) {
                swf.place(depth, character, now.matrix, now.color, ratio);
            } else {
                const PartFrame &was = stage[i]->frame;
                if (!(was.matrix == now.matrix) || !(was.color == now.color) || (morph && was.ratio != now.ratio))
                    swf.move(depth, now.matrix, now.color, ratio);
            }
            stage[i] = OnStage{character, now};
        }
        const SwfColorTransform white = StoryTimeline::veil(f);
        if (white.mult[3] == 0) {
            if (veiled)
                swf.remove(veilDepth);
            veiled.reset();
        } else if (!veiled) {
            swf.place(veilDepth, veil, SwfMatrix(), white);
        } else if (!(*veiled == white)) {
            swf.move(veilDepth, SwfMatrix(), white);
        }
        if (white.mult[3] != 0)
            veiled = white;
        swf.showFrame();
    }
    return swf.finish();
}
