// Sound: event sounds of the dictionary a script starts and stops by the
// name ExportAssets gave them. The volume counts for the starts after it.
#include "Movie.h"
#include "script/Builtins.h"
#include "script/ScriptHost.h"

#include <cmath>

namespace swf::script::builtins {

namespace {

class SoundObject : public Object
{
public:
    explicit SoundObject(Object *prototype) : Object(prototype) {}
    QString className() const override { return QStringLiteral("Sound"); }
    int soundId = 0;
    double volume = 100;
};

SoundObject *sound(NativeCall &call) { return self<SoundObject>(call); }

Value construct(NativeCall &call)
{
    return call.engine.heap().make<SoundObject>(call.newPrototype);
}

Value attachSound(NativeCall &call)
{
    SoundObject *s = sound(call);
    Engine &e = call.engine;
    if (!s || !e.world().movie)
        return {};
    const int id = e.world().movie->exportedId(e.toString(call.arg(0)));
    if (id && e.world().movie->sound(id))
        s->soundId = id;
    return {};
}

Value start(NativeCall &call)
{
    SoundObject *s = sound(call);
    if (!s || !s->soundId)
        return {};
    Engine &e = call.engine;
    const double offset = call.arg(0).isUndefined() ? 0 : e.toNumber(call.arg(0));
    const double loops = call.arg(1).isUndefined() ? 1 : e.toNumber(call.arg(1));
    e.host().startSound(s->soundId, std::isfinite(loops) ? int(std::clamp(loops, 1.0, 65535.0)) : 1,
                        std::isfinite(offset) && offset > 0 ? offset : 0, s->volume);
    return {};
}

Value stop(NativeCall &call)
{
    SoundObject *s = sound(call);
    Engine &e = call.engine;
    // A linkage name stops that sound; none stops this object's, or all.
    if (!call.arg(0).isUndefined()) {
        if (const int id = e.world().movie ? e.world().movie->exportedId(e.toString(call.arg(0))) : 0)
            e.host().stopSound(id);
    } else if (s && s->soundId) {
        e.host().stopSound(s->soundId);
    } else {
        e.host().stopAllSounds();
    }
    return {};
}

Value setVolume(NativeCall &call)
{
    if (SoundObject *s = sound(call)) {
        const double v = call.engine.toNumber(call.arg(0));
        if (std::isfinite(v))
            s->volume = std::clamp(v, 0.0, 100.0);
    }
    return {};
}

Value getVolume(NativeCall &call)
{
    SoundObject *s = sound(call);
    return s ? Value(s->volume) : Value();
}

Value nothing(NativeCall &)
{
    return {};
}

} // namespace

void installSound(Engine &engine)
{
    Object *p = engine.newObject();
    NativeFunction *constructor = engine.newClass(nothing, construct, p);
    engine.method(p, str("attachSound"), attachSound);
    engine.method(p, str("start"), start);
    engine.method(p, str("stop"), stop);
    engine.method(p, str("setVolume"), setVolume);
    engine.method(p, str("getVolume"), getVolume);
    engine.global()->define(engine, str("Sound"), Value(constructor));
}

} // namespace swf::script::builtins
