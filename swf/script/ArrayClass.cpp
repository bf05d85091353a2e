// Array: the constructor and Array.prototype's methods.
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/Operators.h"

#include <cmath>

namespace swf::script::builtins {

namespace {

enum SortFlag { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

ArrayObject *array(NativeCall &call) { return self<ArrayObject>(call); }

ArrayObject *make(NativeCall &call, Object *prototype)
{
    auto *a = call.engine.heap().make<ArrayObject>(prototype ? prototype : call.engine.prototypes().array);
    if (call.count() == 1 && call.arg(0).isNumber()) {
        a->setLength(call.engine, call.arg(0).number());
    } else {
        call.engine.chargeMemory(call.count());
        a->elements() = call.args;
    }
    return a;
}

Value arrayCall(NativeCall &call) { return make(call, nullptr); }
Value arrayConstruct(NativeCall &call) { return make(call, call.newPrototype); }

// A relative index of slice and splice: negative counts from the end.
std::size_t clampIndex(Engine &e, const Value &v, std::size_t length, std::size_t otherwise)
{
    if (v.isUndefined())
        return otherwise;
    double i = e.toNumber(v);
    if (std::isnan(i))
        i = 0;
    i = std::trunc(i);
    if (i < 0)
        i = std::max(0.0, double(length) + i);
    return std::size_t(std::min(i, double(length)));
}

QString joined(Engine &e, ArrayObject *a, const QString &separator)
{
    QString out;
    for (std::size_t i = 0; i < a->length(); ++i) {
        e.step();
        if (i)
            out += separator;
        out += e.toString(a->at(i));
        e.checkString(out);
    }
    return out;
}

Value join(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    const QString separator = call.arg(0).isUndefined() ? str(",") : call.engine.toString(call.arg(0));
    return joined(call.engine, a, separator);
}

Value toString(NativeCall &call)
{
    ArrayObject *a = array(call);
    return a ? Value(joined(call.engine, a, str(","))) : Value();
}

Value push(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    for (const Value &v : call.args)
        a->put(call.engine, a->length(), v);
    return double(a->length());
}

Value pop(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a || a->length() == 0)
        return {};
    Value v = a->elements().back();
    a->elements().pop_back();
    return v;
}

Value shift(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a || a->length() == 0)
        return {};
    Value v = a->elements().front();
    a->elements().erase(a->elements().begin());
    return v;
}

Value unshift(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    call.engine.chargeMemory(call.count());
    if (a->length() + call.count() <= ArrayObject::MaxLength)
        a->elements().insert(a->elements().begin(), call.args.begin(), call.args.end());
    return double(a->length());
}

Value slice(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    const std::size_t n = a->length();
    const std::size_t from = clampIndex(call.engine, call.arg(0), n, 0);
    const std::size_t to = clampIndex(call.engine, call.arg(1), n, n);
    ArrayObject *out = call.engine.newArray();
    if (from < to) {
        call.engine.chargeMemory(to - from);
        out->elements().assign(a->elements().begin() + std::ptrdiff_t(from),
                               a->elements().begin() + std::ptrdiff_t(to));
    }
    return out;
}

Value splice(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a || call.count() == 0)
        return {};
    const std::size_t n = a->length();
    const std::size_t from = clampIndex(call.engine, call.arg(0), n, 0);
    std::size_t count = n - from;
    if (call.count() >= 2) {
        const double c = call.engine.toNumber(call.arg(1));
        count = c > 0 ? std::size_t(std::min(c, double(n - from))) : 0;
    }
    ArrayObject *out = call.engine.newArray();
    auto &e = a->elements();
    out->elements().assign(e.begin() + std::ptrdiff_t(from), e.begin() + std::ptrdiff_t(from + count));
    e.erase(e.begin() + std::ptrdiff_t(from), e.begin() + std::ptrdiff_t(from + count));
    if (call.count() > 2) {
        call.engine.chargeMemory(call.count() - 2);
        e.insert(e.begin() + std::ptrdiff_t(from), call.args.begin() + 2, call.args.end());
    }
    return out;
}

Value reverse(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    std::reverse(a->elements().begin(), a->elements().end());
    return a;
}

Value concat(NativeCall &call)
{
    ArrayObject *a = array(call);
    ArrayObject *out = call.engine.newArray();
    if (a)
        out->elements() = a->elements();
    for (const Value &v : call.args) {
        // Arrays given are spread, one level deep.
        if (auto *other = dynamic_cast<ArrayObject *>(v.object())) {
            call.engine.chargeMemory(other->length());
            out->elements().insert(out->elements().end(), other->elements().begin(), other->elements().end());
        } else {
            out->elements().push_back(v);
        }
    }
    return out;
}

// A merge sort: the order a script's comparison gives is followed even
// when it contradicts itself, without leaving the array.
template <class Less>
void mergeSort(std::vector<std::size_t> &items, Less less)
{
    std::vector<std::size_t> scratch(items.size());
    for (std::size_t width = 1; width < items.size(); width *= 2) {
        for (std::size_t lo = 0; lo < items.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, items.size());
            const std::size_t hi = std::min(lo + 2 * width, items.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                scratch[k++] = less(items[j], items[i]) ? items[j++] : items[i++];
            while (i < mid)
                scratch[k++] = items[i++];
            while (j < hi)
                scratch[k++] = items[j++];
        }
        items.swap(scratch);
    }
}

// Compares two values as sort() with `flags` does: <0, 0, >0.
int compareValues(Engine &e, const Value &a, const Value &b, int flags)
{
    int r = 0;
    if (flags & Numeric) {
        const double x = e.toNumber(a), y = e.toNumber(b);
        r = x < y ? -1 : x > y ? 1 : 0;
    } else {
        const QString x = e.toString(a), y = e.toString(b);
        r = x.compare(y, flags & CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    }
    return flags & Descending ? -r : r;
}

Value sortBy(NativeCall &call, ArrayObject *a, const std::vector<Value> &keys, FunctionObject *compare,
             int flags)
{
    Engine &e = call.engine;
    std::vector<std::size_t> order(a->length());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    bool tie = false;
    auto cmp = [&](std::size_t x, std::size_t y) {
        // Each comparison counts as an action of the frame.
        e.step();
        int r;
        if (compare) {
            r = int(e.toNumber(e.call(compare, Value(), {keys[x], keys[y]})));
            if (flags & Descending)
                r = -r;
        } else {
            r = compareValues(e, keys[x], keys[y], flags);
        }
        if (r == 0)
            tie = true;
        return r < 0;
    };
    mergeSort(order, cmp);
    if ((flags & UniqueSort) && tie)
        return 0;
    if (flags & ReturnIndexedArray) {
        ArrayObject *out = e.newArray();
        for (std::size_t i : order)
            out->elements().push_back(double(i));
        return out;
    }
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order)
        sorted.push_back(a->elements()[i]);
    a->elements() = std::move(sorted);
    return a;
}

Value sort(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    FunctionObject *compare = functionOf(call.arg(0));
    const Value flagsArg = compare ? call.arg(1) : call.arg(0);
    const int flags = flagsArg.isUndefined() ? 0 : toInt32(call.engine.toNumber(flagsArg));
    return sortBy(call, a, a->elements(), compare, flags);
}

Value sortOn(NativeCall &call)
{
    ArrayObject *a = array(call);
    if (!a)
        return {};
    const QString field = call.engine.toString(call.arg(0));
    const int flags = call.arg(1).isUndefined() ? 0 : toInt32(call.engine.toNumber(call.arg(1)));
    std::vector<Value> keys;
    for (const Value &v : a->elements())
        keys.push_back(call.engine.getMember(v, Value(field)));
    return sortBy(call, a, keys, nullptr, flags);
}

} // namespace

void installArray(Engine &engine, Engine::Prototypes &prototypes)
{
    auto *p = engine.heap().make<ArrayObject>(prototypes.object);
    prototypes.array = p;
    NativeFunction *constructor = engine.newClass(arrayCall, arrayConstruct, p);
    engine.method(p, str("join"), join);
    engine.method(p, str("toString"), toString);
    engine.method(p, str("push"), push);
    engine.method(p, str("pop"), pop);
    engine.method(p, str("shift"), shift);
    engine.method(p, str("unshift"), unshift);
    engine.method(p, str("slice"), slice);
    engine.method(p, str("splice"), splice);
    engine.method(p, str("reverse"), reverse);
    engine.method(p, str("concat"), concat);
    engine.method(p, str("sort"), sort);
    engine.method(p, str("sortOn"), sortOn);
    const std::pair<const char *, int> constants[] = {
        {"CASEINSENSITIVE", CaseInsensitive}, {"DESCENDING", Descending}, {"UNIQUESORT", UniqueSort},
        {"RETURNINDEXEDARRAY", ReturnIndexedArray}, {"NUMERIC", Numeric}};
    for (const auto &[name, value] : constants)
        constructor->define(engine, str(name), Value(value), Attribute::DontEnum | Attribute::DontDelete | Attribute::ReadOnly);
    engine.global()->define(engine, str("Array"), Value(constructor));
}

} // namespace swf::script::builtins
