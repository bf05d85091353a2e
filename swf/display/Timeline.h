#pragma once

#include "render/Filter.h"
#include "Records.h"
#include "sound/SoundData.h"
#include "sound/SoundInfo.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

// The events of onClipEvent handlers, as the bits of the file's
// CLIPEVENTFLAGS read as a little-endian number.
namespace ClipEvent {
enum : quint32 {
    Load = 0x1, EnterFrame = 0x2, Unload = 0x4, MouseMove = 0x8, MouseDown = 0x10,
    MouseUp = 0x20, KeyDown = 0x40, KeyUp = 0x80, Data = 0x100, Initialize = 0x200,
    Press = 0x400, Release = 0x800, ReleaseOutside = 0x1000, RollOver = 0x2000,
    RollOut = 0x4000, DragOver = 0x8000, DragOut = 0x10000, KeyPress = 0x20000,
    Construct = 0x40000,
};
}

struct ClipEventAction
{
    quint32 events = 0;              // ClipEvent bits
    int key = 0;                     // KeyPress: the key code
    QByteArray code;
};
using ClipEventList = std::shared_ptr<const std::vector<ClipEventAction>>;

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
    ClipEventList clipActions;       // PlaceObject2/3 onClipEvent handlers; null: none
};

// The bytecode of one action list (a DoAction, a DoInitAction, one clip
// event of a placement), run by the interpreter. The movie's version says
// which rules it runs under.
struct ActionBlock
{
    QByteArray code;
    int position = 0;                // display list tags of its frame that come before it
};

// DoInitAction: run once, before the actions of the first frame that holds it.
struct InitActionBlock
{
    int spriteId = 0;
    QByteArray code;
    int position = 0;                // display list tags of its frame that come before it
};

struct Frame
{
    std::vector<DisplayCommand> commands;
    std::vector<ActionBlock> actions;          // one per DoAction tag, in file order
    std::vector<InitActionBlock> initActions;  // DoInitAction tags, in file order
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
    QHash<QString, int> labels;      // labelKey(label) -> 0-based frame; the first wins
    bool hasStream = false;          // some frame holds a stream block
};

// Frame labels match whatever the case of their ASCII letters.
inline QString labelKey(const QString &label)
{
    QString key = label;
    for (QChar &c : key) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + 32);
    }
    return key;
}

} // namespace swf
