// MovieClip.prototype: the methods that play a clip's timeline, make and
// remove clips, move them between depths, and measure them.
#include "display/Clip.h"
#include "Movie.h"
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/MovieClipObject.h"
#include "script/ScriptHost.h"
#include "script/TextFieldObject.h"

#include <cmath>

namespace swf::script::builtins {

namespace {

MovieClipObject *clipObject(NativeCall &call)
{
    Object *o = call.thisObject();
    MovieClipObject *m = o ? o->asMovieClip() : nullptr;
    return m ? m->resolve(call.engine) : nullptr;
}

Clip *clip(NativeCall &call)
{
    MovieClipObject *m = clipObject(call);
    return m ? m->clip() : nullptr;
}

Value play(NativeCall &call)
{
    if (Clip *c = clip(call))
        c->setPlaying(true);
    return {};
}

Value stop(NativeCall &call)
{
    if (Clip *c = clip(call))
        c->setPlaying(false);
    return {};
}

Value nextFrame(NativeCall &call)
{
    if (MovieClipObject *m = clipObject(call); m && m->clip())
        m->gotoZeroBased(call.engine, m->clip()->frame() + 1, false);
    return {};
}

Value prevFrame(NativeCall &call)
{
    if (MovieClipObject *m = clipObject(call); m && m->clip()) {
        if (m->clip()->frame() > 0)
            m->gotoZeroBased(call.engine, m->clip()->frame() - 1, false);
        else
            m->clip()->setPlaying(false);
    }
    return {};
}

Value gotoAndPlay(NativeCall &call)
{
    if (MovieClipObject *m = clipObject(call))
        m->gotoFrame(call.engine, call.arg(0), true);
    return {};
}

Value gotoAndStop(NativeCall &call)
{
    if (MovieClipObject *m = clipObject(call))
        m->gotoFrame(call.engine, call.arg(0), false);
    return {};
}

// A script depth as a list key; false when out of the range scripts use.
bool depthKey(Engine &e, const Value &v, int *key)
{
    if (v.isUndefined())
        return false;
    const double d = e.toNumber(v);
    if (!std::isfinite(d) || d < -2147483648.0 + Clip::DepthOffset || d > 2147483647.0 - Clip::DepthOffset)
        return false;
    *key = int(d) + Clip::DepthOffset;
    return true;
}

void copyProperties(Engine &e, const Value &from, MovieClipObject *to)
{
    Object *o = from.object();
    if (!o || !to)
        return;
    QStringList names;
    o->enumerate(e, names);
    for (const QString &name : std::as_const(names))
        to->set(e, name, o->get(e, name));
}

Value duplicateMovieClip(NativeCall &call)
{
    MovieClipObject *m = clipObject(call);
    if (!m || call.count() < 2)
        return {};
    Engine &e = call.engine;
    MovieClipObject *made = e.duplicateClip(m, e.toString(call.arg(0)), e.toNumber(call.arg(1)));
    copyProperties(e, call.arg(2), made);
    return made ? Value(made) : Value();
}

Value attachMovie(NativeCall &call)
{
    Clip *c = clip(call);
    Engine &e = call.engine;
    int key = 0;
    if (!c || call.count() < 3 || !depthKey(e, call.arg(2), &key))
        return {};
    const int id = e.world().movie->exportedId(e.toString(call.arg(0)));
    if (!id)
        return {};
    e.chargeClip();
    Clip *made = c->attach(key, id, e.toString(call.arg(1)));
    if (!made)
        return {};
    MovieClipObject *o = e.clipObject(made);
    copyProperties(e, call.arg(3), o);
    e.startScriptClip(*made, false);
    // A class given by registerClass constructs the clip, its first frame
    // in place.
    const Value cls = e.registeredClasses()->get(e, QString::number(id));
    if (FunctionObject *f = functionOf(cls))
        e.call(f, Value(o), {});
    return o;
}

Value createEmptyMovieClip(NativeCall &call)
{
    Clip *c = clip(call);
    Engine &e = call.engine;
    int key = 0;
    if (!c || call.count() < 2 || !depthKey(e, call.arg(1), &key))
        return {};
    e.chargeClip();
    Clip *made = c->createEmpty(key, e.toString(call.arg(0)));
    if (!made)
        return {};
    MovieClipObject *o = e.clipObject(made);
    e.startScriptClip(*made, false);
    return o;
}

// createTextField(name, depth, x, y, width, height): the field is a
// property of the clip under its name.
Value createTextField(NativeCall &call)
{
    MovieClipObject *m = clipObject(call);
    Engine &e = call.engine;
    if (!m || call.count() < 6 || !e.prototypes().textField)
        return {};
    const QString name = e.toString(call.arg(0));
    auto *field = e.heap().make<TextFieldObject>(e.prototypes().textField, m, name,
                                                 toInt32(e.toNumber(call.arg(1))));
    m->set(e, name, Value(field));
    return field;
}

Value removeMovieClip(NativeCall &call)
{
    if (Clip *c = clip(call))
        c->removeByScript();
    else if (auto *field = self<TextFieldObject>(call))
        field->remove(call.engine);
    return {};
}

Value swapDepths(NativeCall &call)
{
    Clip *c = clip(call);
    if (!c)
        return {};
    Engine &e = call.engine;
    int key = 0;
    if (Object *o = call.arg(0).object()) {
        MovieClipObject *other = o->asMovieClip() ? o->asMovieClip()->resolve(e) : nullptr;
        Clip *oc = other ? other->clip() : nullptr;
        // Only a clip of the same parent trades places.
        if (!oc || oc->parent() != c->parent())
            return {};
        key = oc->depth();
    } else if (!depthKey(e, call.arg(0), &key)) {
        return {};
    } else if (key < 0 || key > 2130690044 + Clip::DepthOffset) {
        // swapDepths takes script depths from -16384 to 2130690044.
        return {};
    }
    c->swapDepths(key);
    return {};
}

Value getDepth(NativeCall &call)
{
    Clip *c = clip(call);
    if (!c)
        return {};
    return double(c->depth() - Clip::DepthOffset);
}

Value getNextHighestDepth(NativeCall &call)
{
    Clip *c = clip(call);
    if (!c)
        return {};
    int highest = -1;
    if (!c->objects().empty())
        highest = c->objects().rbegin()->first - Clip::DepthOffset;
    return double(std::max(0, highest + 1));
}

Value getInstanceAtDepth(NativeCall &call)
{
    Clip *c = clip(call);
    int key = 0;
    if (!c || !depthKey(call.engine, call.arg(0), &key))
        return {};
    auto it = c->objects().find(key);
    if (it == c->objects().end() || !it->second.clip)
        return {};
    return call.engine.clipObject(it->second.clip.get());
}

// Twips of the clip's own space to stage twips.
Matrix toStage(Clip &c)
{
    Matrix m;
    for (Clip *at = &c; at && at->parent(); at = at->parent()) {
        if (DisplayObject *p = at->placement())
            m = m * p->matrix;
    }
    return m;
}

Value hitTest(NativeCall &call)
{
    Clip *c = clip(call);
    Engine &e = call.engine;
    if (!c)
        return false;
    const QRectF bounds = toStage(*c).mapRect(c->localBounds());
    if (call.count() >= 2) {
        const QPointF point(e.toNumber(call.arg(0)) * 20, e.toNumber(call.arg(1)) * 20);
        return bounds.contains(point);
    }
    Object *o = call.arg(0).object();
    MovieClipObject *other = o && o->asMovieClip() ? o->asMovieClip()->resolve(e) : nullptr;
    Clip *oc = other ? other->clip() : nullptr;
    if (!oc)
        return false;
    return bounds.intersects(toStage(*oc).mapRect(oc->localBounds()));
}

Value getBounds(NativeCall &call)
{
    Clip *c = clip(call);
    Engine &e = call.engine;
    if (!c)
        return {};
    Matrix m = toStage(*c);
    if (Object *o = call.arg(0).object()) {
        MovieClipObject *space = o->asMovieClip() ? o->asMovieClip()->resolve(e) : nullptr;
        if (Clip *sc = space ? space->clip() : nullptr)
            m = m * toStage(*sc).inverted();
    } else if (call.count() == 0) {
        m = Matrix();
    }
    QRectF r = c->localBounds();
    Object *out = e.newObject();
    if (r.isNull()) {
        // An empty clip answers with the largest box there is, inside out.
        out->set(e, str("xMin"), Value(6710886.35));
        out->set(e, str("xMax"), Value(-6710886.35));
        out->set(e, str("yMin"), Value(6710886.35));
        out->set(e, str("yMax"), Value(-6710886.35));
        return out;
    }
    r = m.mapRect(r);
    out->set(e, str("xMin"), Value(r.left() / 20));
    out->set(e, str("xMax"), Value(r.right() / 20));
    out->set(e, str("yMin"), Value(r.top() / 20));
    out->set(e, str("yMax"), Value(r.bottom() / 20));
    return out;
}

Value localToGlobal(NativeCall &call)
{
    Clip *c = clip(call);
    Object *point = call.arg(0).object();
    Engine &e = call.engine;
    if (!c || !point)
        return {};
    const QPointF local(e.toNumber(point->get(e, str("x"))) * 20, e.toNumber(point->get(e, str("y"))) * 20);
    const QPointF stage = toStage(*c).map(local);
    point->set(e, str("x"), Value(stage.x() / 20));
    point->set(e, str("y"), Value(stage.y() / 20));
    return {};
}

Value globalToLocal(NativeCall &call)
{
    Clip *c = clip(call);
    Object *point = call.arg(0).object();
    Engine &e = call.engine;
    if (!c || !point)
        return {};
    const QPointF stage(e.toNumber(point->get(e, str("x"))) * 20, e.toNumber(point->get(e, str("y"))) * 20);
    const QPointF local = toStage(*c).inverted().map(stage);
    point->set(e, str("x"), Value(local.x() / 20));
    point->set(e, str("y"), Value(local.y() / 20));
    return {};
}

Value startDrag(NativeCall &call)
{
    MovieClipObject *m = clipObject(call);
    if (!m)
        return {};
    Engine &e = call.engine;
    const bool lock = e.toBoolean(call.arg(0));
    if (call.count() >= 5) {
        const QRectF bounds(QPointF(e.toNumber(call.arg(1)), e.toNumber(call.arg(2))),
                            QPointF(e.toNumber(call.arg(3)), e.toNumber(call.arg(4))));
        e.startDrag(m, lock, &bounds);
    } else {
        e.startDrag(m, lock, nullptr);
    }
    return {};
}

Value stopDrag(NativeCall &call)
{
    call.engine.stopDrag();
    return {};
}

Value bytes(NativeCall &)
{
    // Every byte is there before the first frame.
    return 1024;
}

Value nothing(NativeCall &)
{
    return {};
}

} // namespace

void installMovieClip(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = engine.newObject();
    prototypes.movieClip = p;
    NativeFunction *constructor = engine.newClass(nothing, nullptr, p);
    const std::pair<const char *, NativeCode> methods[] = {
        {"play", play}, {"stop", stop}, {"nextFrame", nextFrame}, {"prevFrame", prevFrame},
        {"gotoAndPlay", gotoAndPlay}, {"gotoAndStop", gotoAndStop},
        {"duplicateMovieClip", duplicateMovieClip}, {"attachMovie", attachMovie},
        {"removeMovieClip", removeMovieClip}, {"swapDepths", swapDepths}, {"createTextField", createTextField},
        {"hitTest", hitTest}, {"getBounds", getBounds}, {"localToGlobal", localToGlobal},
        {"globalToLocal", globalToLocal}, {"startDrag", startDrag}, {"stopDrag", stopDrag},
        {"getBytesLoaded", bytes}, {"getBytesTotal", bytes}, {"getURL", nothing},
        {"loadMovie", nothing}, {"unloadMovie", nothing}, {"loadVariables", nothing},
        {"nextScene", nothing}, {"prevScene", nothing},
    };
    for (const auto &[name, code] : methods)
        engine.method(p, str(name), code);
    // Methods of later players are hidden from the movies made before them.
    if (engine.version() >= 6) {
        engine.method(p, str("createEmptyMovieClip"), createEmptyMovieClip);
        engine.method(p, str("getDepth"), getDepth);
        engine.method(p, str("getNextHighestDepth"), getNextHighestDepth);
    }
    if (engine.version() >= 7)
        engine.method(p, str("getInstanceAtDepth"), getInstanceAtDepth);
    engine.global()->define(engine, str("MovieClip"), Value(constructor));
}

} // namespace swf::script::builtins
