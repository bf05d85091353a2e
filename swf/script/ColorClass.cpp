// Color: a clip's colour transform, as setRGB and setTransform see it.
#include "display/Clip.h"
#include "script/Builtins.h"
#include "script/Context.h"
#include "script/Conversions.h"
#include "script/MovieClipObject.h"
#include "script/Variables.h"

#include <cmath>

namespace swf::script::builtins {

namespace {

const QString TargetKey = QStringLiteral("__target__");

DisplayObject *placementOf(NativeCall &call)
{
    Object *self = call.thisObject();
    if (!self)
        return nullptr;
    Engine &e = call.engine;
    const Value target = self->get(e, TargetKey);
    MovieClipObject *m = nullptr;
    if (Object *o = target.object()) {
        m = o->asMovieClip() ? o->asMovieClip()->resolve(e) : nullptr;
    } else if (target.isString()) {
        Context c;
        c.origin = c.target = e.clipObject(e.root());
        if (Object *o = Variables::resolvePath(e, c, target.string()))
            m = o->asMovieClip() ? o->asMovieClip()->resolve(e) : nullptr;
    }
    Clip *clip = m ? m->clip() : nullptr;
    return clip ? clip->placement() : nullptr;
}

Value colorConstruct(NativeCall &call)
{
    Object *o = call.engine.heap().make<Object>(call.newPrototype);
    o->define(call.engine, TargetKey, call.arg(0));
    return o;
}

Value setRGB(NativeCall &call)
{
    DisplayObject *p = placementOf(call);
    if (!p)
        return {};
    const quint32 rgb = toUint32(call.engine.toNumber(call.arg(0)));
    p->cxform.rMult = p->cxform.gMult = p->cxform.bMult = 0;
    p->cxform.rAdd = int((rgb >> 16) & 0xFF);
    p->cxform.gAdd = int((rgb >> 8) & 0xFF);
    p->cxform.bAdd = int(rgb & 0xFF);
    p->scripted = true;
    return {};
}

Value getRGB(NativeCall &call)
{
    DisplayObject *p = placementOf(call);
    if (!p)
        return {};
    return double((p->cxform.rAdd << 16) | (p->cxform.gAdd << 8) | p->cxform.bAdd);
}

Value setTransform(NativeCall &call)
{
    DisplayObject *p = placementOf(call);
    Object *t = call.arg(0).object();
    if (!p || !t)
        return {};
    Engine &e = call.engine;
    // Multipliers in percent, additions in -255..255.
    auto percent = [&](const char *name, int &field) {
        if (t->has(e, str(name))) {
            const double v = e.toNumber(t->get(e, str(name)));
            if (std::isfinite(v))
                field = int(std::clamp(v * 256 / 100, -32768.0, 32767.0));
        }
    };
    auto offset = [&](const char *name, int &field) {
        if (t->has(e, str(name))) {
            const double v = e.toNumber(t->get(e, str(name)));
            if (std::isfinite(v))
                field = int(std::clamp(v, -32768.0, 32767.0));
        }
    };
    percent("ra", p->cxform.rMult);
    percent("ga", p->cxform.gMult);
    percent("ba", p->cxform.bMult);
    percent("aa", p->cxform.aMult);
    offset("rb", p->cxform.rAdd);
    offset("gb", p->cxform.gAdd);
    offset("bb", p->cxform.bAdd);
    offset("ab", p->cxform.aAdd);
    p->scripted = true;
    return {};
}

Value getTransform(NativeCall &call)
{
    DisplayObject *p = placementOf(call);
    if (!p)
        return {};
    Engine &e = call.engine;
    Object *o = e.newObject();
    o->set(e, str("ra"), Value(p->cxform.rMult * 100 / 256.0));
    o->set(e, str("rb"), Value(p->cxform.rAdd));
    o->set(e, str("ga"), Value(p->cxform.gMult * 100 / 256.0));
    o->set(e, str("gb"), Value(p->cxform.gAdd));
    o->set(e, str("ba"), Value(p->cxform.bMult * 100 / 256.0));
    o->set(e, str("bb"), Value(p->cxform.bAdd));
    o->set(e, str("aa"), Value(p->cxform.aMult * 100 / 256.0));
    o->set(e, str("ab"), Value(p->cxform.aAdd));
    return o;
}

Value colorCall(NativeCall &)
{
    return {};
}

} // namespace

void installColor(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = engine.newObject();
    prototypes.color = p;
    NativeFunction *constructor = engine.newClass(colorCall, colorConstruct, p);
    engine.method(p, str("setRGB"), setRGB);
    engine.method(p, str("getRGB"), getRGB);
    engine.method(p, str("setTransform"), setTransform);
    engine.method(p, str("getTransform"), getTransform);
    engine.global()->define(engine, str("Color"), Value(constructor));
}

} // namespace swf::script::builtins
