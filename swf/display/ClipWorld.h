#pragma once

#include <QByteArray>
#include <QSet>
#include <deque>
#include <memory>
#include <vector>

namespace swf {

class Clip;
class ClipListener;
class Movie;
class SoundMixer;

// What every clip of one player shares while it runs: the movie, the tick
// number, the actions waiting to run, the order timelines play in, and the
// budgets that keep a hostile file (a sprite placing itself, a sprite
// placing itself twice...) bounded.
struct ClipWorld
{
    // Something to run once the current action list is done: an action
    // list of a clip's frame, or one of its events.
    struct Pending
    {
        enum class Kind { Actions, Event };
        std::weak_ptr<Clip> clip;
        Kind kind = Kind::Actions;
        const QByteArray *code = nullptr; // Actions: bytes owned by the movie
        unsigned event = 0;               // Event: one ClipEvent bit
    };
    // The player runs the actions waiting in the first queue before any of
    // the second, and those before the third: init actions and initialize
    // events, then construct events, then frames and other events.
    enum Priority { Early, Construct, Normal, Priorities };

    const Movie *movie = nullptr;
    SoundMixer *sound = nullptr;     // where timelines start and stop their sounds
    ClipListener *listener = nullptr; // the scripts; null: nothing is queued
    unsigned long long tick = 0;
    std::deque<Pending> queues[Priorities];
    // Every clip with a timeline, oldest first. Frames run newest first, so
    // that a clip's children play before it and the main timeline last.
    std::vector<std::weak_ptr<Clip>> clips;
    QSet<int> initDone;              // sprites whose init actions were queued
    int instances = 0;               // unnamed clips so far: the next is "instance<n+1>"
    int liveObjects = 0;
    // Work done in the current tick: display list tags applied and objects
    // created. Past the budgets, a tick stops changing the display list, so
    // that jumps back and forth over long timelines or objects replaced
    // over and over cannot stall the player.
    long long commandsRun = 0;
    int objectsCreated = 0;

    void queue(Priority priority, Pending pending)
    {
        if (listener)
            queues[priority].push_back(std::move(pending));
    }
    // The next action to run, in priority order; false when none is left.
    bool takeNext(Pending &out)
    {
        for (auto &q : queues) {
            if (!q.empty()) {
                out = std::move(q.front());
                q.pop_front();
                return true;
            }
        }
        return false;
    }
    void clearQueues()
    {
        for (auto &q : queues)
            q.clear();
    }

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

} // namespace swf
