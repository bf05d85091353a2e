// Boolean: the conversion function and the wrapper.
#include "script/Builtins.h"
#include "script/WrapperObject.h"

namespace swf::script::builtins {

namespace {

bool boolean(NativeCall &call)
{
    if (call.thisValue.isBoolean())
        return call.thisValue.boolean();
    if (auto *w = self<WrapperObject>(call); w && w->primitive().isBoolean())
        return w->primitive().boolean();
    return false;
}

Value booleanCall(NativeCall &call)
{
    return call.engine.toBoolean(call.arg(0));
}

Value booleanConstruct(NativeCall &call)
{
    return call.engine.heap().make<WrapperObject>(call.newPrototype, Value(call.engine.toBoolean(call.arg(0))));
}

Value toString(NativeCall &call)
{
    return boolean(call) ? str("true") : str("false");
}

Value valueOf(NativeCall &call)
{
    return boolean(call);
}

} // namespace

void installBoolean(Engine &engine, Engine::Prototypes &prototypes)
{
    auto *p = engine.heap().make<WrapperObject>(prototypes.object, Value(false));
    prototypes.boolean = p;
    NativeFunction *constructor = engine.newClass(booleanCall, booleanConstruct, p);
    engine.method(p, str("toString"), toString);
    engine.method(p, str("valueOf"), valueOf);
    engine.global()->define(engine, str("Boolean"), Value(constructor));
}

} // namespace swf::script::builtins
