// Object: the constructor, Object.prototype's methods, registerClass and
// ASSetPropFlags's view of attributes.
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/MovieClipObject.h"

#include "Movie.h"

namespace swf::script::builtins {

FunctionObject *functionOf(const Value &value)
{
    return value.object() ? value.object()->asFunction() : nullptr;
}

namespace {

Object *thisObject(NativeCall &call)
{
    Object *o = call.thisObject();
    if (MovieClipObject *m = o ? o->asMovieClip() : nullptr)
        return m->resolve(call.engine);
    return o;
}

Value objectCall(NativeCall &call)
{
    if (Object *o = call.engine.toObject(call.arg(0)))
        return o;
    // Object(undefined) makes an object with no prototype at all.
    return call.engine.heap().make<Object>(nullptr);
}

Value objectConstruct(NativeCall &call)
{
    if (Object *o = call.arg(0).object())
        return o;
    return call.engine.heap().make<Object>(call.newPrototype);
}

Value toString(NativeCall &call)
{
    Object *o = call.thisObject();
    if (o && o->asFunction())
        return str("[type Function]");
    return str("[object Object]");
}

Value valueOf(NativeCall &call)
{
    return call.thisValue;
}

Value hasOwnProperty(NativeCall &call)
{
    Object *o = thisObject(call);
    return o && o->hasOwn(call.engine, call.engine.toString(call.arg(0)));
}

Value isPropertyEnumerable(NativeCall &call)
{
    Object *o = thisObject(call);
    return o && o->isEnumerable(call.engine, call.engine.toString(call.arg(0)));
}

Value isPrototypeOf(NativeCall &call)
{
    Object *o = call.thisObject();
    Object *other = call.arg(0).object();
    int guard = 0;
    for (Object *at = other ? other->prototype() : nullptr; at && guard < 256; at = at->prototype(), ++guard) {
        if (at == o)
            return true;
    }
    return false;
}

Value addProperty(NativeCall &call)
{
    Object *o = thisObject(call);
    FunctionObject *getter = functionOf(call.arg(1));
    FunctionObject *setter = functionOf(call.arg(2));
    if (!o || call.count() < 2)
        return false;
    // A setter that is not a function (null) makes a read-only property.
    if (!setter && !call.arg(2).isNull())
        return false;
    return o->addProperty(call.engine, call.engine.toString(call.arg(0)), getter, setter);
}

Value registerClass(NativeCall &call)
{
    Engine &e = call.engine;
    const QString name = e.toString(call.arg(0));
    const int id = e.world().movie ? e.world().movie->exportedId(name) : 0;
    if (!id || !call.arg(1).isObject())
        return false;
    e.registeredClasses()->set(e, QString::number(id), call.arg(1));
    return true;
}

Value watchNothing(NativeCall &)
{
    return false;
}

} // namespace

void installObject(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = prototypes.object;
    NativeFunction *object = engine.newClass(objectCall, objectConstruct, p);
    engine.method(p, str("toString"), toString);
    engine.method(p, str("valueOf"), valueOf);
    if (engine.version() >= 6) {
        engine.method(p, str("hasOwnProperty"), hasOwnProperty);
        engine.method(p, str("isPropertyEnumerable"), isPropertyEnumerable);
        engine.method(p, str("isPrototypeOf"), isPrototypeOf);
        engine.method(p, str("addProperty"), addProperty);
        engine.method(p, str("watch"), watchNothing);
        engine.method(p, str("unwatch"), watchNothing);
        engine.method(object, str("registerClass"), registerClass);
    }
    engine.global()->define(engine, str("Object"), Value(object));
}

} // namespace swf::script::builtins
