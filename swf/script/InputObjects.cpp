// Key and Mouse: what the pointer and the keyboard tell scripts.
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/ScriptHost.h"

namespace swf::script::builtins {

namespace {

Value isDown(NativeCall &call)
{
    return call.engine.host().keyDown(toInt32(call.engine.toNumber(call.arg(0))));
}

Value getCode(NativeCall &call)
{
    return call.engine.host().lastKey();
}

Value nothing(NativeCall &)
{
    return {};
}

// addListener and removeListener keep the listeners in `_listeners`.
Value addListener(NativeCall &call)
{
    Object *self = call.thisObject();
    if (!self || !call.arg(0).isObject())
        return false;
    Engine &e = call.engine;
    auto *list = dynamic_cast<ArrayObject *>(self->get(e, str("_listeners")).object());
    if (!list) {
        list = e.newArray();
        self->define(e, str("_listeners"), Value(list));
    }
    for (const Value &v : list->elements()) {
        if (v.object() == call.arg(0).object())
            return true;
    }
    list->put(e, list->length(), call.arg(0));
    return true;
}

Value removeListener(NativeCall &call)
{
    Object *self = call.thisObject();
    auto *list = self ? dynamic_cast<ArrayObject *>(self->get(call.engine, str("_listeners")).object()) : nullptr;
    if (!list)
        return false;
    auto &e = list->elements();
    const auto before = e.size();
    std::erase_if(e, [&](const Value &v) { return v.object() == call.arg(0).object(); });
    return e.size() != before;
}

} // namespace

void installInput(Engine &engine)
{
    Object *key = engine.newObject();
    engine.method(key, str("isDown"), isDown);
    engine.method(key, str("getCode"), getCode);
    engine.method(key, str("getAscii"), getCode);
    engine.method(key, str("addListener"), addListener);
    engine.method(key, str("removeListener"), removeListener);
    const std::pair<const char *, int> codes[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
        {"END", 35}, {"ENTER", 13}, {"ESCAPE", 27}, {"HOME", 36}, {"INSERT", 45}, {"LEFT", 37},
        {"PGDN", 34}, {"PGUP", 33}, {"RIGHT", 39}, {"SHIFT", 16}, {"SPACE", 32}, {"TAB", 9},
        {"UP", 38}};
    for (const auto &[name, code] : codes)
        key->define(engine, str(name), Value(code), Attribute::DontEnum | Attribute::DontDelete | Attribute::ReadOnly);
    engine.global()->define(engine, str("Key"), Value(key));

    Object *mouse = engine.newObject();
    engine.method(mouse, str("show"), nothing);
    engine.method(mouse, str("hide"), nothing);
    engine.method(mouse, str("addListener"), addListener);
    engine.method(mouse, str("removeListener"), removeListener);
    engine.global()->define(engine, str("Mouse"), Value(mouse));
}

} // namespace swf::script::builtins
