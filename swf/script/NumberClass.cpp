// Number: the conversion function, the wrapper, toString with a radix.
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/WrapperObject.h"

#include <cmath>
#include <limits>

namespace swf::script::builtins {

namespace {

double number(NativeCall &call)
{
    if (call.thisValue.isNumber())
        return call.thisValue.number();
    if (auto *w = self<WrapperObject>(call); w && w->primitive().isNumber())
        return w->primitive().number();
    return std::numeric_limits<double>::quiet_NaN();
}

Value numberCall(NativeCall &call)
{
    return call.count() ? call.engine.toNumber(call.arg(0)) : 0.0;
}

Value numberConstruct(NativeCall &call)
{
    const double n = call.count() ? call.engine.toNumber(call.arg(0)) : 0.0;
    return call.engine.heap().make<WrapperObject>(call.newPrototype, Value(n));
}

Value toString(NativeCall &call)
{
    int radix = 10;
    if (!call.arg(0).isUndefined())
        radix = toInt32(call.engine.toNumber(call.arg(0)));
    return numberToString(number(call), radix);
}

Value valueOf(NativeCall &call)
{
    return number(call);
}

} // namespace

void installNumber(Engine &engine, Engine::Prototypes &prototypes)
{
    auto *p = engine.heap().make<WrapperObject>(prototypes.object, Value(0.0));
    prototypes.number = p;
    NativeFunction *constructor = engine.newClass(numberCall, numberConstruct, p);
    engine.method(p, str("toString"), toString);
    engine.method(p, str("valueOf"), valueOf);
    const unsigned char fixed = Attribute::DontEnum | Attribute::DontDelete | Attribute::ReadOnly;
    constructor->define(engine, str("MAX_VALUE"), Value(std::numeric_limits<double>::max()), fixed);
    constructor->define(engine, str("MIN_VALUE"), Value(std::numeric_limits<double>::denorm_min()), fixed);
    constructor->define(engine, str("NaN"), Value(std::numeric_limits<double>::quiet_NaN()), fixed);
    constructor->define(engine, str("NEGATIVE_INFINITY"), Value(-std::numeric_limits<double>::infinity()), fixed);
    constructor->define(engine, str("POSITIVE_INFINITY"), Value(std::numeric_limits<double>::infinity()), fixed);
    engine.global()->define(engine, str("Number"), Value(constructor));
}

} // namespace swf::script::builtins
