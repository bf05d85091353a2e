#pragma once

#include "Character.h"
#include "display/ClipListener.h"
#include "display/ClipWorld.h"
#include "display/Timeline.h"

#include <map>
#include <memory>
#include <vector>

namespace swf {

namespace script {
class MovieClipObject;
}

class ButtonInstance;
class Clip;

// One object on a display list: a placed character with its own state.
struct DisplayObject
{
    CharacterPtr character;
    int characterId = 0;
    Matrix matrix;
    ColorTransform cxform;
    int ratio = 0;                   // 0..65535
    int clipDepth = 0;               // > 0: a mask for the depths above, up to this one
    int blendMode = 0;
    FilterList filters;             // null: none
    bool cacheAsBitmap = false;
    bool visible = true;             // hidden objects still run their timelines
    // A script set its place or colour: the timeline no longer moves it.
    bool scripted = false;
    // Its scale (percent) and rotation (degrees) as scripts last read or
    // set them, so that they read back as set; a matrix from the timeline
    // clears them.
    struct Transform
    {
        bool valid = false;
        double xscale = 100, yscale = 100, rotation = 0, skew = 0;
    } transform;
    QString name;
    std::shared_ptr<Clip> clip;      // sprites and buttons: their own display list
    std::shared_ptr<ButtonInstance> button; // buttons: the state shown in `clip`, the pointer
    unsigned long long bornTick = 0; // objects do not advance on the tick that placed them
    int placedFrame = -1;            // the parent's frame whose tag placed it; -1: not a timeline's
    // Movies up to version 5 keep a second placement at a taken depth: the
    // newcomers, in the order they came, are drawn beneath the object that
    // holds the depth, each below the ones before it, and go when it goes.
    // Tags naming the depth act on the holder.
    std::vector<DisplayObject> beneath;
};

// A timeline being played (the main movie, or one placement of a sprite) or
// the fixed contents of a button, with its display list.
//
// Depths: the list is keyed by the depths of the file's tags (1 and up).
// Scripts count depths from -16384 below those (a tag's depth 1 is their
// -16383), so a script's depth d is the key d + DepthOffset.
class Clip : public std::enable_shared_from_this<Clip>
{
public:
    static constexpr int DepthOffset = 16384;

    // `timeline` null: a container whose objects are placed by hand.
    Clip(ClipWorld &world, const Timeline *timeline, Clip *parent, int nesting);
    ~Clip();
    Clip(const Clip &) = delete;
    Clip &operator=(const Clip &) = delete;

    // Runs frame 1's display list tags and queues its actions.
    void start();
    // One tick of this timeline alone: the next frame when playing, back to
    // the first after the last. Children advance on their own turn.
    void advanceTimeline();
    // Jumps to a 0-based frame, clamped to the timeline: the frame's tags
    // act at once, its actions are queued. Going back rebuilds the display
    // list from the first frame; children that the same tag placed keep
    // their own state, and what scripts placed stays.
    // `withActions` false: the frame's actions are not queued.
    void gotoFrame(int frame, bool withActions = true);
    bool gotoLabel(const QString &label);
    // The 0-based frame of a label (ignoring ASCII case), or -1.
    int labelFrame(const QString &label) const;

    int frame() const { return m_frame; }           // 0-based
    int frameCount() const;
    bool playing() const { return m_playing; }
    // One-frame clips stay stopped.
    void setPlaying(bool playing) { m_playing = playing && frameCount() > 1; }
    Clip *parent() const { return m_parent; }
    const std::map<int, DisplayObject> &objects() const { return m_objects; }
    // A child clip by instance name (case-insensitive unless `exactCase`), or null.
    Clip *child(const QString &name, bool exactCase = false) const;
    const Timeline *timeline() const { return m_timeline; }
    bool isButton() const;
    unsigned long long bornTick() const { return m_bornTick; }

    // Places an object outside any timeline (a button's state): the
    // character already at `depth` stays and takes the new placement,
    // another one is replaced.
    void place(int depth, int characterId, const Matrix &matrix, const ColorTransform &cxform,
               int blendMode, const FilterList &filters);
    void remove(int depth) { removeAt(depth); }

    // Where this clip sits in its parent's list: its depth key and entry.
    int depth() const { return m_depth; }
    DisplayObject *placement();
    QString name() const;
    // The character this clip shows (0 for the main timeline and empty clips).
    int characterId() const { return m_characterId; }
    const ClipEventList &events() const { return m_events; }

    // What scripts do to display lists (depths are keys). Null when the
    // depth or the character cannot take it. The new clip has not run its
    // first frame: the caller queues its events, then calls start().
    Clip *attach(int depth, int characterId, const QString &name);
    Clip *createEmpty(int depth, const QString &name);
    Clip *duplicate(const QString &name, int depth);
    // removeMovieClip: only clips placed at script depths 0 and up go.
    bool removeByScript();
    bool swapDepths(int otherDepth);
    // Removes the object at a depth key, waiting for unload handlers when
    // the scripts ask for it.
    void removeAt(int depth);

    // Removed from the stage: its queued actions are dropped. A clip
    // waiting for its unload handlers is removed too, still listed at
    // depth -1 - (its depth) until finishUnload().
    bool removed() const { return m_removed; }
    // Off the display list for good: what scripts hold of it reads nothing.
    bool gone() const { return m_gone; }
    bool awaitingUnload() const { return m_awaitingUnload; }
    void finishUnload();

    // Queues one of this clip's events (a ClipEvent bit).
    void queueEvent(ClipWorld::Priority priority, unsigned event);
    // The sound side of entering a frame: its StartSound tags, and the
    // stream starting afresh when the frame was not reached by one step.
    void enterSounds(int frame, bool jumped);
    // The area its display list covers, in its own twips.
    QRectF localBounds() const;

    script::MovieClipObject *scriptObject() const { return m_scriptObject; }
    void setScriptObject(script::MovieClipObject *object) { m_scriptObject = object; }

private:
    // Applies a frame's display list tags and queues its actions; false
    // when a broken tag stopped it.
    bool runCommands(int frame, bool withActions = true);
    void apply(const DisplayCommand &command);
    // `named`: the tag gives the object a name, so it takes no number.
    DisplayObject *create(int depth, int characterId, bool named = false);
    bool initialise(DisplayObject &object, int characterId, int depth, const ClipEventList &events,
                    bool named);
    static int count(const std::map<int, DisplayObject> &objects);
    // Makes the clip of a sprite or button; `start`: a timeline's
    // placement, told to the listener and run to its first frame at once.
    void instantiate(DisplayObject &object, int depth, const ClipEventList &events, bool start);
    std::shared_ptr<Clip> makeChild(const Timeline *timeline, int characterId, int depth,
                                    const ClipEventList &events, bool notify);
    Clip *placeByScript(int depth, int characterId, const Timeline *timeline, const QString &name,
                        const ClipEventList &events);
    void release(std::map<int, DisplayObject>::iterator it);
    // An object off the list leaves: at once, or to wait below the list
    // for its unload handlers.
    void retire(int depth, DisplayObject object);
    // `gone`: off every list, not only waiting for unload handlers.
    void markRemoved(bool gone);
    void keepUnloading();
    void queueUnloads(Clip &clip);

    ClipWorld &m_world;
    const Timeline *m_timeline;
    Clip *m_parent;
    int m_nesting;
    int m_frame = 0;
    bool m_playing = true;
    std::map<int, DisplayObject> m_objects;
    // While a backward jump rebuilds the list: the objects before it, so
    // that the ones that stay keep their state.
    std::map<int, DisplayObject> *m_previous = nullptr;
    int m_running = -1;              // the frame whose tags are being applied
    std::size_t m_runningCommand = 0; // and the tag
    int m_depth = 0;
    int m_characterId = 0;
    ClipEventList m_events;
    unsigned long long m_bornTick = 0;
    bool m_removed = false;
    bool m_gone = false;
    DisplayObject m_own;             // the main timeline's placement, which no list holds
    bool m_awaitingUnload = false;
    script::MovieClipObject *m_scriptObject = nullptr;
};

} // namespace swf
