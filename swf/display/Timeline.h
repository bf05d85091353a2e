#pragma once

#include "render/Filter.h"
#include "Records.h"
#include "sound/SoundData.h"
#include "sound/SoundInfo.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace swf {

// One PlaceObject (1, 2 or 3) or RemoveObject (1, 2) tag, as decoded.
// Absent optional fields leave the placed object's current value alone when
// the tag moves an existing object.
struct DisplayCommand
{
    enum class Kind { Place, Remove };
    Kind kind = Kind::Place;
    int depth = 0;
    bool move = false;               // PlaceObject2/3: modify the object already at `depth`
    std::optional<int> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> cxform;
    std::optional<int> ratio;        // 0..65535
    std::optional<int> clipDepth;
    std::optional<QString> name;
    std::optional<int> blendMode;    // 0 and 1 are "normal"
    std::optional<FilterList> filters;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
};

// A timeline action the engine runs; the others are skipped when decoded.
struct Action
{
    enum class Op { Stop, Play, NextFrame, PreviousFrame, GotoFrame, GotoLabel, SetTarget };
    Op op = Op::Stop;
    int frame = 0;                   // GotoFrame: 0-based
    // GotoFrame2 plays or stops after the jump; the other gotos keep the
    // timeline's state.
    std::optional<bool> play;
    QString text;                    // GotoLabel, SetTarget
};

struct Frame
{
    std::vector<DisplayCommand> commands;
    std::vector<std::vector<Action>> actionBlocks; // one per DoAction tag, in file order
    // Sounds, run when the frame is entered: StartSound tags in file order,
    // and the timeline's stream block, decoded, with the samples to skip
    // when the stream starts at this block (MP3 SeekSamples).
    std::vector<SoundStart> sounds;
    SoundDataPtr streamBlock;
    int streamSkip = 0;
};

// The frames of the main movie or of one sprite.
struct Timeline
{
    std::vector<Frame> frames;       // never empty once decoded
    QHash<QString, int> labels;      // lower-cased label -> 0-based frame
    bool hasStream = false;          // some frame holds a stream block
};

} // namespace swf
