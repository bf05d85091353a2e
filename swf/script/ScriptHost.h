#pragma once

#include <QPointF>
#include <QString>

namespace swf::script {

// What the scripts of a movie ask of the player running it.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;
    virtual void trace(const QString &text) = 0;
    // getURL("FSCommand:..."): the command after the prefix and its argument.
    virtual void fsCommand(const QString &command, const QString &argument) = 0;
    // Milliseconds since the movie started, as getTimer tells them.
    virtual double timeMs() const = 0;
    // The pointer on the stage, in pixels.
    virtual QPointF mouse() const = 0;
    virtual bool keyDown(int code) const = 0;
    virtual int lastKey() const = 0;
    // The Sound object: a sound of the dictionary started `loops` times
    // from `offset` seconds at `volume` percent, stopped, or all stopped.
    virtual void startSound(int soundId, int loops, double offset, double volume) = 0;
    virtual void stopSound(int soundId) = 0;
    virtual void stopAllSounds() = 0;
};

} // namespace swf::script
