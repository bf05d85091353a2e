#pragma once

namespace swf {

class Clip;

// What the timelines ask of the scripts that drive them: told of every new
// clip, and asked whether a clip being removed must wait for unload
// handlers, its own or those of clips inside it. The player's script
// engine is the one listener.
class ClipListener
{
public:
    virtual ~ClipListener() = default;
    virtual void clipCreated(Clip &clip) = 0;
    virtual bool keepsForUnload(Clip &clip) = 0;
    virtual bool hasUnloadHandler(Clip &clip) = 0;
};

} // namespace swf
