// The global functions: parsing numbers, escaping text, timers, property
// attributes, the clock.
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/ScriptHost.h"

#include <cmath>
#include <limits>

namespace swf::script::builtins {

namespace {

Value parseIntFunction(NativeCall &call)
{
    const QString s = call.engine.toString(call.arg(0));
    int radix = 0;
    if (!call.arg(1).isUndefined()) {
        radix = toInt32(call.engine.toNumber(call.arg(1)));
        if (radix < 2 || radix > 36)
            return std::numeric_limits<double>::quiet_NaN();
    }
    return parseInteger(s, radix);
}

Value parseFloatFunction(NativeCall &call)
{
    return parseFloatPrefix(call.engine.toString(call.arg(0)));
}

Value isNaNFunction(NativeCall &call)
{
    return std::isnan(call.engine.toNumber(call.arg(0)));
}

Value isFiniteFunction(NativeCall &call)
{
    return std::isfinite(call.engine.toNumber(call.arg(0)));
}

QByteArray bytesOf(Engine &e, const QString &s)
{
    return e.version() >= 6 ? s.toUtf8() : s.toLatin1();
}

Value escapeFunction(NativeCall &call)
{
    const QByteArray bytes = bytesOf(call.engine, call.engine.toString(call.arg(0)));
    QString out;
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += QChar(c);
        else
            out += QStringLiteral("%%%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
    }
    call.engine.checkString(out);
    return out;
}

Value unescapeFunction(NativeCall &call)
{
    const QString s = call.engine.toString(call.arg(0));
    QByteArray bytes;
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) == u'%' && i + 2 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes += char(v);
                i += 2;
                continue;
            }
        }
        if (s.at(i).unicode() < 128)
            bytes += char(s.at(i).unicode());
        else
            bytes += call.engine.version() >= 6 ? QString(s.at(i)).toUtf8() : QByteArray(1, char(s.at(i).unicode()));
    }
    return call.engine.version() >= 6 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

Value setIntervalFunction(NativeCall &call)
{
    Engine &e = call.engine;
    if (FunctionObject *f = functionOf(call.arg(0))) {
        std::vector<Value> args(call.args.begin() + std::min<std::size_t>(2, call.count()), call.args.end());
        const int id = e.addInterval(f, nullptr, {}, e.toNumber(call.arg(1)), std::move(args));
        return id ? Value(id) : Value();
    }
    if (Object *o = call.arg(0).object()) {
        std::vector<Value> args(call.args.begin() + std::min<std::size_t>(3, call.count()), call.args.end());
        const int id = e.addInterval(nullptr, o, e.toString(call.arg(1)), e.toNumber(call.arg(2)),
                                     std::move(args));
        return id ? Value(id) : Value();
    }
    return {};
}

Value clearIntervalFunction(NativeCall &call)
{
    call.engine.removeInterval(toInt32(call.engine.toNumber(call.arg(0))));
    return {};
}

Value getTimerFunction(NativeCall &call)
{
    return std::floor(call.engine.host().timeMs());
}

Value nothing(NativeCall &)
{
    return {};
}

Value getVersion(NativeCall &)
{
    return str("LNX 8,0,24,0");
}

// ASSetPropFlags(object, names, set, clear): names a list (an array or
// "a,b") or null for every property.
Value setPropFlags(NativeCall &call)
{
    Engine &e = call.engine;
    Object *o = call.arg(0).object();
    if (!o)
        return {};
    const unsigned char set = toInt32(e.toNumber(call.arg(2))) & 7;
    const unsigned char clear = call.arg(3).isUndefined() ? 0 : toInt32(e.toNumber(call.arg(3))) & 7;
    const Value names = call.arg(1);
    if (names.isNull()) {
        o->changeAttributes(e, QString(), set, clear);
        return {};
    }
    QStringList list;
    if (auto *array = dynamic_cast<ArrayObject *>(names.object())) {
        for (const Value &v : array->elements())
            list.append(e.toString(v));
    } else {
        list = e.toString(names).split(u',');
    }
    for (const QString &name : std::as_const(list)) {
        if (!name.isEmpty())
            o->changeAttributes(e, name, set, clear);
    }
    return {};
}

} // namespace

void installGlobals(Engine &engine)
{
    Object *g = engine.global();
    const std::pair<const char *, NativeCode> functions[] = {
        {"parseInt", parseIntFunction}, {"parseFloat", parseFloatFunction}, {"isNaN", isNaNFunction},
        {"isFinite", isFiniteFunction}, {"escape", escapeFunction}, {"unescape", unescapeFunction},
        {"getTimer", getTimerFunction}, {"ASSetPropFlags", setPropFlags},
        {"updateAfterEvent", nothing}, {"getVersion", getVersion},
    };
    for (const auto &[name, code] : functions)
        engine.method(g, str(name), code);
    if (engine.version() >= 6) {
        engine.method(g, str("setInterval"), setIntervalFunction);
        engine.method(g, str("clearInterval"), clearIntervalFunction);
    }
    g->define(engine, str("NaN"), Value(engine.newNaN()));
    g->define(engine, str("Infinity"), Value(std::numeric_limits<double>::infinity()));
}

} // namespace swf::script::builtins
