#pragma once

#include "Character.h"
#include "display/Timeline.h"

#include <map>
#include <memory>
#include <vector>

namespace swf {

class ButtonInstance;
class Clip;
class Movie;
class SoundMixer;

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

// What every clip of one player shares while it runs: the movie, the tick
// number, the actions waiting to run, and the budgets that keep a hostile
// file (a sprite placing itself, a sprite placing itself twice...) bounded.
struct ClipWorld
{
    struct Pending
    {
        std::weak_ptr<Clip> clip;
        const std::vector<Action> *actions;
    };
    const Movie *movie = nullptr;
    SoundMixer *sound = nullptr;     // where timelines start and stop their sounds
    unsigned long long tick = 0;
    std::vector<Pending> pending;
    int liveObjects = 0;
    // Work done in the current tick: display list tags applied and objects
    // created. Past the budgets, a tick stops changing the display list, so
    // that jumps back and forth over long timelines or objects replaced
    // over and over cannot stall the player.
    long long commandsRun = 0;
    int objectsCreated = 0;

    bool overBudget() const
    {
        return commandsRun >= MaxCommandsPerTick || objectsCreated >= MaxCreationsPerTick;
    }
    void startTick()
    {
        ++tick;
        commandsRun = 0;
        objectsCreated = 0;
    }

    static constexpr int MaxNesting = 64;
    static constexpr int MaxObjects = 20000;
    static constexpr long long MaxCommandsPerTick = 200000;
    static constexpr int MaxCreationsPerTick = 20000;
};

// A timeline being played (the main movie, or one placement of a sprite) or
// the fixed contents of a button, with its display list.
class Clip : public std::enable_shared_from_this<Clip>
{
public:
    // `timeline` null: a container whose objects are placed by hand.
    Clip(ClipWorld &world, const Timeline *timeline, Clip *parent, int nesting);
    ~Clip();
    Clip(const Clip &) = delete;
    Clip &operator=(const Clip &) = delete;

    // Runs frame 1's display list tags and queues its actions.
    void start();
    // One tick: the next frame when playing (back to the first after the
    // last), then every child placed before this tick.
    void advance();
    // Jumps to a 0-based frame, clamped to the timeline. Going back rebuilds
    // the display list from the first frame; children that stay at their
    // depth with the same character keep their own state.
    void gotoFrame(int frame);
    bool gotoLabel(const QString &label);

    int frame() const { return m_frame; }           // 0-based
    int frameCount() const;
    bool playing() const { return m_playing; }
    void setPlaying(bool playing) { m_playing = playing; }
    Clip *parent() const { return m_parent; }
    const std::map<int, DisplayObject> &objects() const { return m_objects; }
    // A child clip by instance name (case-insensitive), or null.
    Clip *child(const QString &name) const;

    // Places an object outside any timeline (a button's state): the
    // character already at `depth` stays and takes the new placement,
    // another one is replaced.
    void place(int depth, int characterId, const Matrix &matrix, const ColorTransform &cxform,
               int blendMode, const FilterList &filters);
    void remove(int depth) { erase(depth); }

private:
    void runCommands(int frame);
    void apply(const DisplayCommand &command);
    void queueActions(int frame);
    // The sound side of entering a frame: its StartSound tags, and the
    // stream starting afresh when the frame was not reached by one step.
    void enterSounds(int frame, bool jumped);
    DisplayObject *create(int depth, int characterId);
    bool initialise(DisplayObject &object, int characterId);
    static int count(const std::map<int, DisplayObject> &objects);
    void instantiate(DisplayObject &object);
    void erase(int depth);

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
};

} // namespace swf
