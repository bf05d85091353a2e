// String: the conversion function, the wrapper, String.prototype's methods.
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/WrapperObject.h"

#include <cmath>

namespace swf::script::builtins {

namespace {

QString text(NativeCall &call)
{
    if (call.thisValue.isString())
        return call.thisValue.string();
    if (auto *w = self<WrapperObject>(call); w && w->primitive().isString())
        return w->primitive().string();
    return call.engine.toString(call.thisValue);
}

// An argument as a whole number, NaN as 0, clamped into int.
int integer(NativeCall &call, std::size_t i, int otherwise = 0)
{
    if (i >= call.count() || call.args[i].isUndefined())
        return otherwise;
    const double n = call.engine.toNumber(call.args[i]);
    if (std::isnan(n))
        return 0;
    return int(std::clamp(std::trunc(n), -2147483647.0, 2147483647.0));
}

Value stringCall(NativeCall &call)
{
    return call.count() ? call.engine.toString(call.arg(0)) : QString();
}

Value stringConstruct(NativeCall &call)
{
    const QString s = call.count() ? call.engine.toString(call.arg(0)) : QString();
    return call.engine.heap().make<WrapperObject>(call.newPrototype, Value(s));
}

Value toString(NativeCall &call) { return text(call); }

Value charAt(NativeCall &call)
{
    const QString s = text(call);
    const int i = integer(call, 0);
    return i >= 0 && i < s.size() ? QString(s.at(i)) : QString();
}

Value charCodeAt(NativeCall &call)
{
    const QString s = text(call);
    const int i = integer(call, 0);
    return i >= 0 && i < s.size() ? Value(double(s.at(i).unicode()))
                                  : Value(std::numeric_limits<double>::quiet_NaN());
}

Value concat(NativeCall &call)
{
    QString s = text(call);
    for (const Value &v : call.args) {
        s += call.engine.toString(v);
        call.engine.checkString(s);
    }
    return s;
}

Value indexOf(NativeCall &call)
{
    const QString s = text(call);
    const QString what = call.engine.toString(call.arg(0));
    const int from = std::clamp(integer(call, 1), 0, int(s.size()));
    return double(s.indexOf(what, from));
}

Value lastIndexOf(NativeCall &call)
{
    const QString s = text(call);
    const QString what = call.engine.toString(call.arg(0));
    int from = integer(call, 1, int(s.size()));
    if (from < 0)
        return -1;
    from = std::min(from, int(s.size()));
    return double(s.lastIndexOf(what, from));
}

Value slice(NativeCall &call)
{
    const QString s = text(call);
    const int n = int(s.size());
    int from = integer(call, 0);
    int to = integer(call, 1, n);
    if (from < 0)
        from = std::max(0, n + from);
    if (to < 0)
        to = std::max(0, n + to);
    from = std::min(from, n);
    to = std::min(to, n);
    return from < to ? s.mid(from, to - from) : QString();
}

Value substr(NativeCall &call)
{
    const QString s = text(call);
    const int n = int(s.size());
    int from = integer(call, 0);
    if (from < 0)
        from = std::max(0, n + from);
    from = std::min(from, n);
    int length = integer(call, 1, n - from);
    if (length < 0)
        length = std::max(0, n - from + length);
    return s.mid(from, length);
}

Value substring(NativeCall &call)
{
    const QString s = text(call);
    const int n = int(s.size());
    int from = std::clamp(integer(call, 0), 0, n);
    int to = std::clamp(integer(call, 1, n), 0, n);
    if (from > to)
        std::swap(from, to);
    return s.mid(from, to - from);
}

Value split(NativeCall &call)
{
    Engine &e = call.engine;
    const QString s = text(call);
    ArrayObject *out = e.newArray();
    if (call.arg(0).isUndefined()) {
        out->elements().push_back(s);
        return out;
    }
    const QString separator = e.toString(call.arg(0));
    const int limit = call.arg(1).isUndefined() ? -1 : integer(call, 1);
    auto add = [&](const QString &part) {
        if (limit >= 0 && int(out->length()) >= limit)
            return false;
        out->elements().push_back(part);
        return true;
    };
    if (separator.isEmpty()) {
        if (e.version() < 6) {
            add(s);
            return out;
        }
        e.chargeMemory(std::size_t(s.size()));
        for (QChar ch : s) {
            if (!add(QString(ch)))
                break;
        }
        return out;
    }
    if (s.isEmpty() && e.version() >= 6) {
        add(s);
        return out;
    }
    const QStringList parts = s.split(separator);
    e.chargeMemory(std::size_t(parts.size()));
    for (const QString &part : parts) {
        if (!add(part))
            break;
    }
    return out;
}

Value toUpperCase(NativeCall &call) { return text(call).toUpper(); }
Value toLowerCase(NativeCall &call) { return text(call).toLower(); }

Value fromCharCode(NativeCall &call)
{
    QString s;
    for (const Value &v : call.args)
        s += QChar(char16_t(quint32(call.engine.toNumber(v)) & 0xFFFF));
    return s;
}

} // namespace

void installString(Engine &engine, Engine::Prototypes &prototypes)
{
    auto *p = engine.heap().make<WrapperObject>(prototypes.object, Value(QString()));
    prototypes.string = p;
    NativeFunction *constructor = engine.newClass(stringCall, stringConstruct, p);
    const std::pair<const char *, NativeCode> methods[] = {
        {"toString", toString}, {"valueOf", toString}, {"charAt", charAt}, {"charCodeAt", charCodeAt},
        {"concat", concat}, {"indexOf", indexOf}, {"lastIndexOf", lastIndexOf}, {"slice", slice},
        {"substr", substr}, {"substring", substring}, {"split", split},
        {"toUpperCase", toUpperCase}, {"toLowerCase", toLowerCase},
    };
    for (const auto &[name, code] : methods)
        engine.method(p, str(name), code);
    engine.method(constructor, str("fromCharCode"), fromCharCode);
    engine.global()->define(engine, str("String"), Value(constructor));
    engine.setStringClass(constructor);
}

} // namespace swf::script::builtins
