// Function: call and apply.
#include "script/ArrayObject.h"
#include "script/Builtins.h"

namespace swf::script::builtins {

namespace {

Value functionCall(NativeCall &call)
{
    return call.engine.newObject();
}

Value callMethod(NativeCall &call)
{
    FunctionObject *f = functionOf(call.thisValue);
    if (!f)
        return {};
    std::vector<Value> args;
    for (std::size_t i = 1; i < call.count(); ++i)
        args.push_back(call.args[i]);
    const Value self = call.arg(0).isNullish() ? Value() : call.arg(0);
    return call.engine.call(f, self, args);
}

Value applyMethod(NativeCall &call)
{
    FunctionObject *f = functionOf(call.thisValue);
    if (!f)
        return {};
    std::vector<Value> args;
    if (Object *list = call.arg(1).object()) {
        if (auto *array = dynamic_cast<ArrayObject *>(list)) {
            args = array->elements();
        } else {
            const double n = call.engine.toNumber(list->get(call.engine, str("length")));
            for (int i = 0; i < n && i < 65536; ++i)
                args.push_back(list->get(call.engine, QString::number(i)));
        }
    }
    const Value self = call.arg(0).isNullish() ? Value() : call.arg(0);
    return call.engine.call(f, self, args);
}

} // namespace

void installFunction(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = prototypes.function;
    NativeFunction *function = engine.newClass(functionCall, nullptr, p);
    if (engine.version() >= 6) {
        engine.method(p, str("call"), callMethod);
        engine.method(p, str("apply"), applyMethod);
    }
    // Version 5 has functions but no Function to name them by.
    if (engine.version() >= 6)
        engine.global()->define(engine, str("Function"), Value(function));
}

} // namespace swf::script::builtins
