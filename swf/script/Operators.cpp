#include "script/Operators.h"

#include "script/Engine.h"
#include "script/Function.h"
#include "script/MovieClipObject.h"

#include <cmath>
#include <cstring>

namespace swf::script {

Value Operators::add(Engine &engine, const Value &a, const Value &b)
{
    const Value pa = engine.toPrimitive(a);
    const Value pb = engine.toPrimitive(b);
    if (pa.isString() || pb.isString()) {
        QString text = engine.toString(pa) + engine.toString(pb);
        engine.checkString(text);
        return text;
    }
    return engine.toNumber(pa) + engine.toNumber(pb);
}

Value Operators::less(Engine &engine, const Value &a, const Value &b)
{
    const Value pa = engine.toPrimitive(a, Engine::Hint::Number);
    const Value pb = engine.toPrimitive(b, Engine::Hint::Number);
    if (pa.isString() && pb.isString())
        return pa.string() < pb.string();
    const double x = engine.toNumber(pa), y = engine.toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return {};
    return x < y;
}

bool Operators::strictEquals(const Value &a, const Value &b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null: return true;
    case Value::Type::Boolean: return a.boolean() == b.boolean();
    case Value::Type::Number: {
        const double x = a.number(), y = b.number();
        if (std::isnan(x) && std::isnan(y)) {
            // A NaN equals only the very same NaN: see Engine::newNaN.
            return std::memcmp(&x, &y, sizeof x) == 0;
        }
        return x == y;
    }
    case Value::Type::String: return a.string() == b.string();
    case Value::Type::Object: return a.object() == b.object();
    }
    return false;
}

bool Operators::equals(Engine &engine, const Value &a, const Value &b)
{
    // Two references to one clip are equal even when made apart.
    if (a.isObject() && b.isObject()) {
        MovieClipObject *ca = a.object()->asMovieClip();
        MovieClipObject *cb = b.object()->asMovieClip();
        if (ca && cb) {
            MovieClipObject *ra = ca->resolve(engine), *rb = cb->resolve(engine);
            return ra == rb;
        }
        return a.object() == b.object();
    }
    if (a.type() == b.type())
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isNumber() && b.isString())
        return a.number() == engine.toNumber(b);
    if (a.isString() && b.isNumber())
        return engine.toNumber(a) == b.number();
    if (a.isBoolean())
        return equals(engine, Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean())
        return equals(engine, a, Value(b.boolean() ? 1.0 : 0.0));
    if (a.isObject())
        return equals(engine, engine.toPrimitive(a), b);
    if (b.isObject())
        return equals(engine, a, engine.toPrimitive(b));
    return false;
}

bool Operators::instanceOf(Engine &engine, const Value &object, const Value &constructor)
{
    Object *o = object.object();
    Object *c = constructor.object();
    if (!o || !c)
        return false;
    const Value prototype = c->get(engine, QStringLiteral("prototype"));
    Object *p = prototype.object();
    if (!p)
        return false;
    int guard = 0;
    for (Object *at = o->prototype(); at && guard < 256; at = at->prototype(), ++guard) {
        if (at == p)
            return true;
    }
    return false;
}

} // namespace swf::script
