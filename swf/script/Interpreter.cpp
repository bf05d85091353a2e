#include "script/Interpreter.h"

#include "display/Clip.h"
#include "script/ArrayObject.h"
#include "script/Context.h"
#include "script/Conversions.h"
#include "script/Engine.h"
#include "script/Limits.h"
#include "script/MovieClipObject.h"
#include "script/Operators.h"
#include "script/Scope.h"
#include "script/SuperObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptFunction.h"
#include "script/Variables.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace swf::script {

namespace {

double NaN() { return std::numeric_limits<double>::quiet_NaN(); }

int u16(const unsigned char *b, int at) { return b[at] | (b[at + 1] << 8); }
int s16(const unsigned char *b, int at) { return qint16(quint16(u16(b, at))); }

double readDouble(const unsigned char *b, int at)
{
    // DOUBLE: the two 32-bit halves are stored high word first.
    const quint64 hi = quint32(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (quint32(b[at + 3]) << 24));
    const quint64 lo = quint32(b[at + 4] | (b[at + 5] << 8) | (b[at + 6] << 16) | (quint32(b[at + 7]) << 24));
    const quint64 bits = (hi << 32) | lo;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

float readFloat(const unsigned char *b, int at)
{
    const quint32 bits = quint32(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (quint32(b[at + 3]) << 24));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Undoes the nesting of `with` blocks however a block is left.
struct WithGuard
{
    Context &c;
    std::size_t depth;
    int blocks;
    ~WithGuard()
    {
        c.withs.resize(depth);
        c.blocks = blocks;
    }
};

} // namespace

Value Interpreter::boolean(Context &c, bool b) const
{
    // Version 4 had no booleans: comparisons give 1 and 0.
    if (c.version < 5)
        return Value(b ? 1 : 0);
    return Value(b);
}

void Interpreter::push(Context &c, double number)
{
    // Each NaN an action makes is a value of its own: it equals itself
    // (the same variable twice), not another NaN. The bits say which.
    if (std::isnan(number))
        number = m_engine.newNaN();
    push(c, Value(number));
}

void Interpreter::push(Context &c, Value value)
{
    if (c.stack.size() >= std::size_t(Limits::StackValues))
        throw LimitReached{"the stack of an action list"};
    c.stack.push_back(std::move(value));
}

Value Interpreter::pop(Context &c)
{
    if (c.stack.empty())
        return {};
    Value v = std::move(c.stack.back());
    c.stack.pop_back();
    return v;
}

std::vector<Value> Interpreter::popArguments(Context &c)
{
    const double n = m_engine.toNumber(pop(c));
    std::vector<Value> args;
    // Never more than the stack holds: the rest would be undefined anyway.
    const std::size_t count = n > 0 ? std::size_t(std::min(n, double(c.stack.size()))) : 0;
    args.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        args.push_back(pop(c));
    return args;
}

QString Interpreter::readString(Context &c, int &at, int end)
{
    const int start = at;
    while (at < end && c.bytes[at] != 0)
        ++at;
    const char *text = reinterpret_cast<const char *>(c.bytes + start);
    const qsizetype length = at - start;
    if (at < end)
        ++at; // the terminating zero
    // The same few names come by again and again in a loop: decoded once.
    const auto known = m_strings.constFind(QByteArray::fromRawData(text, length));
    if (known != m_strings.constEnd())
        return known.value();
    QString s = c.version >= 6 ? QString::fromUtf8(text, length) : QString::fromLatin1(text, length);
    if (m_strings.size() < 4096 && length <= 64)
        m_strings.insert(QByteArray(text, length), s);
    return s;
}

void Interpreter::setScopeTarget(Context &c, MovieClipObject *target)
{
    c.target = target ? target : c.origin;
}

void Interpreter::runTopLevel(const QByteArray &code, MovieClipObject *clip)
{
    Context c;
    c.code = code;
    c.bytes = reinterpret_cast<const unsigned char *>(c.code.constData());
    c.size = int(c.code.size());
    c.version = m_engine.version();
    c.registers.resize(4);
    c.origin = c.target = clip;
    c.thisValue = clip;
    c.scope = m_engine.heap().make<Scope>(clip, m_engine.heap().make<Scope>(m_engine.global(), nullptr));
    c.topLevel = true;
    run(c, 0, c.size);
}

Value Interpreter::call(ScriptFunction *f, const Value &thisValue, const std::vector<Value> &args,
                        Object *superObject)
{
    m_engine.enterCall();
    struct Leave
    {
        Engine &e;
        ~Leave() { e.leaveCall(); }
    } leave{m_engine};

    Context c;
    c.code = f->code;
    c.bytes = reinterpret_cast<const unsigned char *>(c.code.constData());
    c.size = int(c.code.size());
    c.version = f->version;
    c.constants = f->constants;
    c.topLevel = false;
    c.callee = f;
    c.thisValue = thisValue;
    c.superObject = superObject;
    c.origin = c.target = f->timeline;

    Heap &heap = m_engine.heap();
    Object *activation = heap.make<Object>(nullptr);
    c.activation = activation;
    if (f->version >= 6 && f->scope) {
        c.scope = heap.make<Scope>(activation, f->scope);
    } else {
        Scope *global = heap.make<Scope>(m_engine.global(), nullptr);
        c.scope = heap.make<Scope>(activation, f->timeline ? heap.make<Scope>(f->timeline, global) : global);
    }

    ArrayObject *arguments = m_engine.newArray();
    for (const Value &v : args)
        arguments->elements().push_back(v);
    arguments->define(m_engine, QStringLiteral("callee"), Value(f));

    // A function's `this` is a variable of its activation, which a
    // parameter of that name hides.
    activation->define(m_engine, QStringLiteral("this"), thisValue, 0);
    if (f->twoStyle) {
        // No count asked for means the four registers of version 5.
        c.registers.resize(std::size_t(f->registerCount > 0 ? f->registerCount : 4));
        std::size_t reg = 1;
        auto preload = [&](const Value &v) {
            if (reg < c.registers.size())
                c.registers[reg] = v;
            ++reg;
        };
        MovieClipObject *timeline = f->timeline ? f->timeline->resolve(m_engine) : nullptr;
        // A suppressed `this` is not preloaded; arguments and super are,
        // and are no variables then.
        const unsigned flags = f->flags;
        if ((flags & ScriptFunction::PreloadThis) && !(flags & ScriptFunction::SuppressThis))
            preload(thisValue);
        if (flags & ScriptFunction::PreloadArguments)
            preload(arguments);
        if (flags & ScriptFunction::PreloadSuper)
            preload(superObject);
        if (f->flags & ScriptFunction::PreloadRoot)
            preload(m_engine.clipObject(m_engine.root()));
        if (f->flags & ScriptFunction::PreloadParent) {
            MovieClipObject *parent = timeline ? timeline->parentObject(m_engine) : nullptr;
            preload(parent ? Value(parent) : Value());
        }
        if (f->flags & ScriptFunction::PreloadGlobal)
            preload(m_engine.global());
        // What no register holds stays a variable.
        if (!(flags & (ScriptFunction::PreloadArguments | ScriptFunction::SuppressArguments)))
            activation->define(m_engine, QStringLiteral("arguments"), Value(arguments), 0);
        if (!(flags & (ScriptFunction::PreloadSuper | ScriptFunction::SuppressSuper)) && superObject)
            activation->define(m_engine, QStringLiteral("super"), Value(superObject), 0);
    } else {
        c.registers.resize(4);
        activation->define(m_engine, QStringLiteral("arguments"), Value(arguments), 0);
        if (superObject)
            activation->define(m_engine, QStringLiteral("super"), Value(superObject), 0);
    }
    for (std::size_t i = 0; i < f->parameters.size(); ++i) {
        const ScriptFunction::Parameter &p = f->parameters[i];
        const Value v = i < args.size() ? args[i] : Value();
        if (f->twoStyle && p.reg > 0) {
            if (std::size_t(p.reg) < c.registers.size())
                c.registers[std::size_t(p.reg)] = v;
        } else {
            activation->define(m_engine, p.name, v, 0);
        }
    }
    const Flow flow = run(c, f->begin, f->end);
    return flow == Flow::Return ? c.result : Value();
}

Interpreter::Flow Interpreter::run(Context &c, int begin, int end)
{
    end = std::min(end, c.size);
    int pc = begin;
    while (pc < end) {
        const int op = c.bytes[pc];
        if (op == 0)
            return Flow::End;
        int at = pc + 1;
        int length = 0;
        if (op >= 0x80) {
            if (pc + 3 > c.size)
                return Flow::End;
            length = u16(c.bytes, pc + 1);
            at = pc + 3;
        }
        const int next = at + length;
        if (next > c.size)
            return Flow::End; // a truncated action ends the list
        m_engine.step();
        // The target, for the timeline actions that need it.
        MovieClipObject *target = nullptr;
        Clip *clip = nullptr;
        if (op <= 0x09 || op == 0x81 || op == 0x8C) {
            target = c.target ? c.target->resolve(m_engine) : nullptr;
            clip = target ? target->clip() : nullptr;
        }
        switch (op) {
        // Timeline actions of version 3.
        case 0x04: // NextFrame
            if (clip) {
                target->gotoZeroBased(m_engine, clip->frame() + 1, false);
            }
            break;
        case 0x05: // PreviousFrame
            if (clip && clip->frame() > 0)
                target->gotoZeroBased(m_engine, clip->frame() - 1, false);
            else if (clip)
                clip->setPlaying(false);
            break;
        case 0x06: // Play
            if (clip)
                clip->setPlaying(true);
            break;
        case 0x07: // Stop
            if (clip)
                clip->setPlaying(false);
            break;
        case 0x08: // ToggleQuality
            break;
        case 0x09: // StopSounds
            m_engine.host().stopAllSounds();
            break;
        case 0x81: // GotoFrame
            if (clip && length >= 2)
                target->gotoZeroBased(m_engine, u16(c.bytes, at), std::nullopt);
            break;
        case 0x8C: { // GotoLabel
            int p = at;
            const QString label = readString(c, p, next);
            if (clip) {
                const int frame = clip->labelFrame(label);
                if (frame >= 0)
                    target->gotoZeroBased(m_engine, frame, std::nullopt);
            }
            break;
        }
        case 0x8B: { // SetTarget
            int p = at;
            const QString path = readString(c, p, next);
            actionSetTarget(c, Value(path));
            break;
        }
        case 0x20: // SetTarget2
            actionSetTarget(c, pop(c));
            break;
        case 0x83: { // GetURL
            int p = at;
            const QString url = readString(c, p, next);
            const QString window = readString(c, p, next);
            actionGetUrl(c, url, window);
            break;
        }
        case 0x9A: { // GetURL2
            const Value window = pop(c);
            const Value url = pop(c);
            actionGetUrl(c, m_engine.toString(url), m_engine.toString(window));
            break;
        }
        case 0x8A: { // WaitForFrame
            if (length < 3)
                break;
            const int frame = u16(c.bytes, at);
            const int skip = c.bytes[at + 2];
            if (!actionWaitForFrame(c, Value(frame + 1))) {
                pc = next;
                skipActions(c, skip, pc, end);
                continue;
            }
            break;
        }
        case 0x8D: { // WaitForFrame2
            const int skip = length >= 1 ? c.bytes[at] : 0;
            if (!actionWaitForFrame(c, pop(c))) {
                pc = next;
                skipActions(c, skip, pc, end);
                continue;
            }
            break;
        }
        case 0x9F: // GotoFrame2
            actionGotoFrame2(c, at, next);
            break;

        // The stack machine of version 4.
        case 0x96: // Push
            actionPush(c, at, next);
            break;
        case 0x17: // Pop
            pop(c);
            break;
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: { // Add, Subtract, Multiply, Divide
            const double b = m_engine.toNumber(pop(c));
            const double a = m_engine.toNumber(pop(c));
            double r = 0;
            switch (op) {
            case 0x0A: r = a + b; break;
            case 0x0B: r = a - b; break;
            case 0x0C: r = a * b; break;
            default:
                if (b == 0 && c.version < 5) {
                    push(c, QStringLiteral("#ERROR#"));
                    pc = next;
                    continue;
                }
                // The sign of a zero divisor does not count.
                r = b == 0 ? (a > 0 ? HUGE_VAL : a < 0 ? -HUGE_VAL : NaN()) : a / b;
                break;
            }
            push(c, r);
            break;
        }
        case 0x0E: { // Equals
            const double b = m_engine.toNumber(pop(c));
            const double a = m_engine.toNumber(pop(c));
            push(c, boolean(c, a == b));
            break;
        }
        case 0x0F: { // Less
            const double b = m_engine.toNumber(pop(c));
            const double a = m_engine.toNumber(pop(c));
            push(c, boolean(c, a < b));
            break;
        }
        case 0x10: case 0x11: { // And, Or
            const bool b = m_engine.toBoolean(pop(c));
            const bool a = m_engine.toBoolean(pop(c));
            push(c, boolean(c, op == 0x10 ? (a && b) : (a || b)));
            break;
        }
        case 0x12: // Not
            push(c, boolean(c, !m_engine.toBoolean(pop(c))));
            break;
        case 0x13: case 0x29: case 0x68: { // StringEquals, StringLess, StringGreater
            const QString b = m_engine.toString(pop(c));
            const QString a = m_engine.toString(pop(c));
            const bool r = op == 0x13 ? a == b : op == 0x29 ? a < b : a > b;
            push(c, boolean(c, r));
            break;
        }
        case 0x14: case 0x31: { // StringLength, MBStringLength
            const QString s = m_engine.toString(pop(c));
            if (op == 0x14 && c.version < 6)
                push(c, double(s.toLatin1().size()));
            else
                push(c, double(s.size()));
            break;
        }
        case 0x15: case 0x35: // StringExtract, MBStringExtract
            actionStringExtract(c, op == 0x35);
            break;
        case 0x21: { // StringAdd
            const QString b = m_engine.toString(pop(c));
            QString a = m_engine.toString(pop(c));
            a += b;
            m_engine.checkString(a);
            push(c, std::move(a));
            break;
        }
        case 0x18: // ToInteger
            push(c, double(toInt32(m_engine.toNumber(pop(c)))));
            break;
        case 0x32: case 0x36: { // CharToAscii, MBCharToAscii
            const QString s = m_engine.toString(pop(c));
            if (s.isEmpty())
                push(c, c.version >= 6 ? Value(0) : Value(0));
            else if (op == 0x32 && c.version < 6)
                push(c, double(static_cast<unsigned char>(s.toLatin1().at(0))));
            else
                push(c, double(s.at(0).unicode()));
            break;
        }
        case 0x33: case 0x37: { // AsciiToChar, MBAsciiToChar
            const int code = toInt32(m_engine.toNumber(pop(c)));
            if ((code & 0xFFFF) == 0)
                push(c, QString()); // character 0 ends a text: nothing
            else if (op == 0x33 && c.version < 6)
                push(c, QString(QChar(code & 0xFF)));
            else
                push(c, QString(QChar(char16_t(code & 0xFFFF))));
            break;
        }
        case 0x1C: { // GetVariable
            const QString name = m_engine.toString(pop(c));
            push(c, Variables::get(m_engine, c, name));
            break;
        }
        case 0x1D: { // SetVariable
            Value value = pop(c);
            const QString name = m_engine.toString(pop(c));
            // Version 4 keeps every variable as text.
            if (c.version < 5 && !value.isString())
                value = m_engine.toString(value);
            Variables::set(m_engine, c, name, value);
            break;
        }
        case 0x22: // GetProperty
            actionGetProperty(c);
            break;
        case 0x23: // SetProperty
            actionSetProperty(c);
            break;
        case 0x24: // CloneSprite
            actionCloneSprite(c);
            break;
        case 0x25: { // RemoveSprite
            MovieClipObject *which = Variables::targetClip(m_engine, c, pop(c));
            if (Clip *w = which ? which->clip() : nullptr)
                w->removeByScript();
            break;
        }
        case 0x26: // Trace
            m_engine.trace(pop(c));
            break;
        case 0x27: // StartDrag
            actionStartDrag(c);
            break;
        case 0x28: // EndDrag
            m_engine.stopDrag();
            break;
        case 0x30: { // RandomNumber
            const double max = m_engine.toNumber(pop(c));
            const int n = std::isfinite(max) && max > 0 ? int(std::min(max, 2147483647.0)) : 0;
            push(c, double(m_engine.randomBelow(n)));
            break;
        }
        case 0x34: // GetTime
            push(c, std::floor(m_engine.host().timeMs()));
            break;
        case 0x99: { // Jump
            if (length < 2)
                break;
            const int to = next + s16(c.bytes, at);
            if (to >= begin && to < end) {
                pc = to;
                continue;
            }
            if (to == end)
                return Flow::Normal;
            c.jumpTarget = to;
            return Flow::Jump;
        }
        case 0x9D: { // If
            if (length < 2)
                break;
            if (!m_engine.toBoolean(pop(c)))
                break;
            const int to = next + s16(c.bytes, at);
            if (to >= begin && to < end) {
                pc = to;
                continue;
            }
            if (to == end)
                return Flow::Normal;
            c.jumpTarget = to;
            return Flow::Jump;
        }
        case 0x9E: // Call
            actionCall(c);
            break;

        // Objects and functions of version 5.
        case 0x88: // ConstantPool
            actionConstantPool(c, at, next);
            break;
        case 0x87: // StoreRegister
            if (length >= 1) {
                const std::size_t reg = c.bytes[at];
                if (reg < c.registers.size())
                    c.registers[reg] = c.stack.empty() ? Value() : c.stack.back();
            }
            break;
        case 0x3A: { // Delete
            const QString name = m_engine.memberName(pop(c));
            Object *o = m_engine.toObject(pop(c));
            if (MovieClipObject *m = o ? o->asMovieClip() : nullptr)
                o = m->resolve(m_engine);
            push(c, o ? o->remove(m_engine, name) : false);
            break;
        }
        case 0x3B: { // Delete2
            const QString name = m_engine.toString(pop(c));
            push(c, Variables::remove(m_engine, c, name));
            break;
        }
        case 0x3C: { // DefineLocal
            const Value value = pop(c);
            const QString name = m_engine.toString(pop(c));
            Variables::defineLocal(m_engine, c, name, value);
            break;
        }
        case 0x41: // DefineLocal2
            Variables::declareLocal(m_engine, c, m_engine.toString(pop(c)));
            break;
        case 0x3D: // CallFunction
            actionCallFunction(c);
            break;
        case 0x52: // CallMethod
            actionCallMethod(c);
            break;
        case 0x40: // NewObject
            actionNewObject(c);
            break;
        case 0x53: // NewMethod
            actionNewMethod(c);
            break;
        case 0x3E: // Return
            c.result = pop(c);
            return Flow::Return;
        case 0x3F: { // Modulo
            const double b = m_engine.toNumber(pop(c));
            const double a = m_engine.toNumber(pop(c));
            push(c, std::fmod(a, b));
            break;
        }
        case 0x42: { // InitArray
            std::vector<Value> values = popArguments(c);
            ArrayObject *array = m_engine.newArray();
            m_engine.chargeMemory(values.size());
            array->elements() = std::move(values);
            push(c, array);
            break;
        }
        case 0x43: { // InitObject
            const double n = m_engine.toNumber(pop(c));
            Object *o = m_engine.newObject();
            const std::size_t count = n > 0 ? std::size_t(std::min(n, double(c.stack.size()))) : 0;
            for (std::size_t i = 0; i < count; ++i) {
                const Value value = pop(c);
                const QString name = m_engine.toString(pop(c));
                o->set(m_engine, name, value);
            }
            push(c, o);
            break;
        }
        case 0x44: // TypeOf
            push(c, m_engine.typeOf(pop(c)));
            break;
        case 0x45: { // TargetPath
            const Value v = pop(c);
            MovieClipObject *m = v.object() ? v.object()->asMovieClip() : nullptr;
            if (m && (m = m->resolve(m_engine)))
                push(c, m->dotPath());
            else
                push(c, Value());
            break;
        }
        case 0x46: { // Enumerate
            const QString name = m_engine.toString(pop(c));
            actionEnumerate(c, Variables::get(m_engine, c, name));
            break;
        }
        case 0x55: // Enumerate2
            actionEnumerate(c, pop(c));
            break;
        case 0x47: { // Add2
            const Value b = pop(c);
            const Value a = pop(c);
            push(c, Operators::add(m_engine, a, b));
            break;
        }
        case 0x48: { // Less2
            const Value b = pop(c);
            const Value a = pop(c);
            push(c, Operators::less(m_engine, a, b));
            break;
        }
        case 0x67: { // Greater
            const Value b = pop(c);
            const Value a = pop(c);
            push(c, Operators::less(m_engine, b, a));
            break;
        }
        case 0x49: { // Equals2
            const Value b = pop(c);
            const Value a = pop(c);
            push(c, Operators::equals(m_engine, a, b));
            break;
        }
        case 0x66: { // StrictEquals
            const Value b = pop(c);
            const Value a = pop(c);
            push(c, Operators::strictEquals(a, b));
            break;
        }
        case 0x4A: // ToNumber
            push(c, m_engine.toNumber(pop(c)));
            break;
        case 0x4B: // ToString
            push(c, m_engine.toString(pop(c)));
            break;
        case 0x4C: // PushDuplicate
            push(c, c.stack.empty() ? Value() : c.stack.back());
            break;
        case 0x4D: // StackSwap
            if (c.stack.size() >= 2)
                std::swap(c.stack[c.stack.size() - 1], c.stack[c.stack.size() - 2]);
            else if (c.stack.size() == 1)
                c.stack.insert(c.stack.begin(), Value());
            break;
        case 0x4E: { // GetMember
            const Value name = pop(c);
            const Value object = pop(c);
            push(c, m_engine.getMember(object, name));
            break;
        }
        case 0x4F: { // SetMember
            const Value value = pop(c);
            const Value name = pop(c);
            const Value object = pop(c);
            m_engine.setMember(object, name, value);
            break;
        }
        case 0x50: // Increment
            push(c, m_engine.toNumber(pop(c)) + 1);
            break;
        case 0x51: // Decrement
            push(c, m_engine.toNumber(pop(c)) - 1);
            break;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            const double bn = m_engine.toNumber(pop(c));
            const double an = m_engine.toNumber(pop(c));
            const qint32 a = toInt32(an), b = toInt32(bn);
            double r = 0;
            switch (op) {
            case 0x60: r = a & b; break;
            case 0x61: r = a | b; break;
            case 0x62: r = a ^ b; break;
            case 0x63: r = qint32(quint32(a) << (b & 31)); break;
            case 0x64: r = a >> (b & 31); break;
            default: r = double(quint32(a) >> (b & 31)); break;
            }
            push(c, r);
            break;
        }
        case 0x9B: // DefineFunction
        case 0x8E: { // DefineFunction2
            const int after = actionDefineFunction(c, at, next, op == 0x8E);
            if (after > next) {
                pc = std::min(after, c.size);
                if (pc > end) {
                    c.jumpTarget = pc;
                    return Flow::Jump;
                }
                continue;
            }
            break;
        }
        case 0x94: { // With
            const Flow flow = actionWith(c, at, next, begin, end, pc);
            if (flow != Flow::Normal)
                return flow;
            continue;
        }

        // Version 6 and 7.
        case 0x54: { // InstanceOf
            const Value constructor = pop(c);
            const Value object = pop(c);
            push(c, Operators::instanceOf(m_engine, object, constructor));
            break;
        }
        case 0x69: // Extends
            actionExtends(c);
            break;
        case 0x2B: { // CastOp
            const Value object = pop(c);
            const Value constructor = pop(c);
            push(c, Operators::instanceOf(m_engine, object, constructor) ? object : Value::null());
            break;
        }
        case 0x2C: // ImplementsOp
            actionImplements(c);
            break;
        case 0x2A: // Throw
            throw ScriptThrow{pop(c)};
        case 0x8F: { // Try
            const Flow flow = actionTry(c, at, next, begin, end, pc);
            if (flow != Flow::Normal)
                return flow;
            continue;
        }
        default:
            // Actions of later versions, or none at all: skipped by length.
            break;
        }
        pc = next;
    }
    return Flow::Normal;
}

void Interpreter::actionPush(Context &c, int at, int end)
{
    while (at < end) {
        const int type = c.bytes[at++];
        switch (type) {
        case 0:
            push(c, readString(c, at, end));
            break;
        case 1:
            if (at + 4 > end)
                return;
            push(c, double(readFloat(c.bytes, at)));
            at += 4;
            break;
        case 2:
            push(c, Value::null());
            break;
        case 3:
            push(c, Value());
            break;
        case 4: {
            if (at >= end)
                return;
            const std::size_t reg = c.bytes[at++];
            push(c, reg < c.registers.size() ? c.registers[reg] : Value());
            break;
        }
        case 5:
            if (at >= end)
                return;
            push(c, c.bytes[at++] != 0);
            break;
        case 6:
            if (at + 8 > end)
                return;
            push(c, readDouble(c.bytes, at));
            at += 8;
            break;
        case 7:
            if (at + 4 > end)
                return;
            push(c, double(qint32(quint32(c.bytes[at] | (c.bytes[at + 1] << 8) | (c.bytes[at + 2] << 16)
                                          | (quint32(c.bytes[at + 3]) << 24)))));
            at += 4;
            break;
        case 8:
        case 9: {
            const int width = type == 8 ? 1 : 2;
            if (at + width > end)
                return;
            const std::size_t index = type == 8 ? c.bytes[at] : std::size_t(u16(c.bytes, at));
            at += width;
            if (c.constants && index < c.constants->size())
                push(c, c.constants->at(index));
            else
                push(c, Value());
            break;
        }
        default:
            return; // an unknown type: the rest of this push is meaningless
        }
    }
}

void Interpreter::actionConstantPool(Context &c, int at, int end)
{
    if (at + 2 > end)
        return;
    const int count = u16(c.bytes, at);
    at += 2;
    auto pool = std::make_shared<std::vector<QString>>();
    pool->reserve(std::size_t(count));
    for (int i = 0; i < count && at < end; ++i)
        pool->push_back(readString(c, at, end));
    c.constants = std::move(pool);
}

int Interpreter::actionDefineFunction(Context &c, int at, int end, bool two)
{
    auto f = m_engine.heap().make<ScriptFunction>(m_engine.prototypes().function);
    f->twoStyle = two;
    f->name = readString(c, at, end);
    if (at + 2 > end)
        return end;
    const int count = u16(c.bytes, at);
    at += 2;
    if (two) {
        if (at + 3 > end)
            return end;
        f->registerCount = c.bytes[at];
        f->flags = unsigned(u16(c.bytes, at + 1));
        at += 3;
    }
    for (int i = 0; i < count && at < end; ++i) {
        ScriptFunction::Parameter p;
        if (two)
            p.reg = c.bytes[at++];
        p.name = readString(c, at, end);
        f->parameters.push_back(std::move(p));
    }
    if (at + 2 > end)
        return end;
    const int size = u16(c.bytes, at);
    f->code = c.code;
    f->begin = end;
    f->end = std::min(end + size, c.size);
    f->version = c.version;
    f->constants = c.constants;
    f->timeline = c.origin;
    if (c.version >= 6) {
        // The chain it was made in, `with` objects included.
        Scope *scope = c.scope;
        for (Object *w : c.withs)
            scope = m_engine.heap().make<Scope>(w, scope);
        f->scope = scope;
    }
    Object *prototype = m_engine.newObject();
    prototype->define(m_engine, QStringLiteral("constructor"), Value(f));
    f->define(m_engine, QStringLiteral("prototype"), Value(prototype));
    if (f->name.isEmpty())
        push(c, Value(f));
    else
        Variables::defineLocal(m_engine, c, f->name, Value(f));
    return end + size;
}

Interpreter::Flow Interpreter::actionWith(Context &c, int at, int next, int begin, int end, int &pc)
{
    const int size = next - at >= 2 ? u16(c.bytes, at) : 0;
    const int bodyEnd = std::min(next + size, c.size);
    Object *o = m_engine.toObject(pop(c));
    if (!o) {
        // with(undefined) skips its block.
        pc = bodyEnd;
        return pc <= end ? Flow::Normal : (c.jumpTarget = pc, Flow::Jump);
    }
    if (int(c.withs.size()) >= m_engine.withLimit() || c.blocks >= Limits::BlockNesting)
        throw LimitReached{"nested with blocks"};
    Flow flow;
    {
        WithGuard guard{c, c.withs.size(), c.blocks};
        c.withs.push_back(o);
        ++c.blocks;
        flow = run(c, next, bodyEnd);
    }
    switch (flow) {
    case Flow::Normal:
        pc = bodyEnd;
        break;
    case Flow::Jump:
        pc = c.jumpTarget;
        break;
    default:
        return flow;
    }
    if (pc >= begin && pc <= end)
        return Flow::Normal;
    c.jumpTarget = pc;
    return Flow::Jump;
}

Interpreter::Flow Interpreter::actionTry(Context &c, int at, int next, int begin, int end, int &pc)
{
    if (next - at < 7)
        return pc = next, Flow::Normal;
    const int flags = c.bytes[at];
    const int trySize = u16(c.bytes, at + 1);
    const int catchSize = u16(c.bytes, at + 3);
    const int finallySize = u16(c.bytes, at + 5);
    int p = at + 7;
    QString catchName;
    int catchRegister = -1;
    if (flags & 4)
        catchRegister = p < next ? c.bytes[p] : 0;
    else
        catchName = readString(c, p, next);
    const int tryBegin = next;
    const int catchBegin = std::min(tryBegin + trySize, c.size);
    const int finallyBegin = std::min(catchBegin + catchSize, c.size);
    const int after = std::min(finallyBegin + finallySize, c.size);
    if (c.blocks >= Limits::BlockNesting)
        throw LimitReached{"nested try blocks"};

    const std::size_t withDepth = c.withs.size();
    const int blocks = c.blocks;
    Flow flow = Flow::Normal;
    bool pending = false;
    Value thrown;
    ++c.blocks;
    try {
        flow = run(c, tryBegin, catchBegin);
    } catch (ScriptThrow &t) {
        c.withs.resize(withDepth);
        if (flags & 1) {
            if (catchRegister >= 0) {
                if (std::size_t(catchRegister) < c.registers.size())
                    c.registers[std::size_t(catchRegister)] = t.value;
            } else if (c.activation) {
                c.activation->set(m_engine, catchName, t.value);
            } else {
                Variables::set(m_engine, c, catchName, t.value);
            }
            try {
                flow = run(c, catchBegin, finallyBegin);
            } catch (ScriptThrow &again) {
                if (!(flags & 2)) {
                    c.blocks = blocks;
                    throw;
                }
                c.withs.resize(withDepth);
                pending = true;
                thrown = again.value;
                flow = Flow::Normal;
            }
        } else {
            pending = true;
            thrown = t.value;
            flow = Flow::Normal;
        }
    }
    if (flags & 2) {
        const int jumpTarget = c.jumpTarget;
        const Value result = c.result;
        const Flow f = run(c, finallyBegin, after);
        if (f != Flow::Normal) {
            // Leaving the finally block (a return, a jump) forgets the throw.
            flow = f;
            pending = false;
        } else {
            c.jumpTarget = jumpTarget;
            c.result = result;
        }
    }
    c.blocks = blocks;
    if (pending)
        throw ScriptThrow{thrown};
    switch (flow) {
    case Flow::Normal:
        pc = after;
        break;
    case Flow::Jump:
        pc = c.jumpTarget;
        break;
    default:
        return flow;
    }
    if (pc >= begin && pc <= end)
        return Flow::Normal;
    c.jumpTarget = pc;
    return Flow::Jump;
}

void Interpreter::actionCallFunction(Context &c)
{
    const QString name = m_engine.toString(pop(c));
    std::vector<Value> args = popArguments(c);
    Object *holder = nullptr;
    const Value function = Variables::get(m_engine, c, name, &holder);
    // super(...) written as a call of the name: the constructor above.
    if (auto *super = dynamic_cast<SuperObject *>(function.object())) {
        push(c, m_engine.call(super->constructor(), super->self(), args, super->home()));
        return;
    }
    FunctionObject *f = function.object() ? function.object()->asFunction() : nullptr;
    if (!f) {
        push(c, Value());
        return;
    }
    // A plain call runs with the object it found the function on as
    // `this`: the timeline, or the activation of the function around.
    push(c, m_engine.call(f, holder && holder != m_engine.global() ? Value(holder) : Value(), args));
}

void Interpreter::actionCallMethod(Context &c)
{
    const Value name = pop(c);
    const Value object = pop(c);
    std::vector<Value> args = popArguments(c);
    const QString method = name.isUndefined() ? QString() : m_engine.toString(name);
    if (method.isEmpty()) {
        // super(): the constructor above, on this method's `this`.
        if (auto *super = dynamic_cast<SuperObject *>(object.object())) {
            push(c, m_engine.call(super->constructor(), super->self(), args, super->home()));
            return;
        }
        FunctionObject *f = object.object() ? object.object()->asFunction() : nullptr;
        push(c, f ? m_engine.call(f, Value(), args) : Value());
        return;
    }
    push(c, m_engine.callMethod(object, method, args));
}

void Interpreter::actionNewObject(Context &c)
{
    const QString name = m_engine.toString(pop(c));
    std::vector<Value> args = popArguments(c);
    const Value function = Variables::get(m_engine, c, name);
    FunctionObject *f = function.object() ? function.object()->asFunction() : nullptr;
    push(c, f ? m_engine.construct(f, args) : Value());
}

void Interpreter::actionNewMethod(Context &c)
{
    const Value name = pop(c);
    const Value object = pop(c);
    std::vector<Value> args = popArguments(c);
    const QString method = name.isUndefined() ? QString() : m_engine.toString(name);
    const Value function = method.isEmpty() ? object : m_engine.getMember(object, Value(method));
    FunctionObject *f = function.object() ? function.object()->asFunction() : nullptr;
    push(c, f ? m_engine.construct(f, args) : Value());
}

void Interpreter::actionGetUrl(Context &, const QString &url, const QString &window)
{
    static const QLatin1String prefix("FSCommand:");
    if (url.startsWith(prefix, Qt::CaseInsensitive))
        m_engine.host().fsCommand(url.mid(prefix.size()), window);
    // Other addresses (pages, other movies) are not followed.
}

void Interpreter::actionGotoFrame2(Context &c, int at, int end)
{
    if (at >= end) {
        pop(c);
        return;
    }
    const int flags = c.bytes[at];
    const int bias = (flags & 2) && at + 3 <= end ? u16(c.bytes, at + 1) : 0;
    const bool play = flags & 1;
    Value frame = pop(c);
    MovieClipObject *target = c.target ? c.target->resolve(m_engine) : nullptr;
    if (frame.isString()) {
        // "clip:frame" and "/clip:frame" name another timeline.
        const QString text = frame.string();
        const int colon = text.lastIndexOf(u':');
        if (colon >= 0) {
            Object *o = Variables::resolvePath(m_engine, c, text.left(colon));
            target = o && o->asMovieClip() ? o->asMovieClip()->resolve(m_engine) : nullptr;
            frame = text.mid(colon + 1);
        }
    }
    if (target)
        target->gotoFrame(m_engine, frame, play, bias);
}

void Interpreter::actionSetTarget(Context &c, const Value &path)
{
    if (path.isString() && path.string().isEmpty()) {
        setScopeTarget(c, c.origin);
        return;
    }
    MovieClipObject *target = nullptr;
    {
        // Clips given are taken by their path, as text; paths count from
        // the code's own timeline, not the last target.
        MovieClipObject *current = c.target;
        c.target = c.origin;
        Object *found = Variables::resolvePath(m_engine, c, m_engine.toString(path));
        c.target = current;
        target = found && found->asMovieClip() ? found->asMovieClip()->resolve(m_engine) : nullptr;
    }
    setScopeTarget(c, target);
}

void Interpreter::actionEnumerate(Context &c, const Value &value)
{
    push(c, Value::null());
    Object *o = value.object();
    if (MovieClipObject *m = o ? o->asMovieClip() : nullptr)
        o = m->resolve(m_engine);
    if (!o)
        return;
    QStringList names;
    o->enumerate(m_engine, names);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        push(c, *it);
}

void Interpreter::actionGetProperty(Context &c)
{
    const double index = m_engine.toNumber(pop(c));
    const Value which = pop(c);
    MovieClipObject *target = Variables::targetClip(m_engine, c, which);
    if (!target || !(index >= 0) || index >= int(MovieClipObject::PropertyCount)) {
        push(c, Value());
        return;
    }
    push(c, target->property(m_engine, int(index)));
}

void Interpreter::actionSetProperty(Context &c)
{
    const Value value = pop(c);
    const double index = m_engine.toNumber(pop(c));
    const Value which = pop(c);
    MovieClipObject *target = Variables::targetClip(m_engine, c, which);
    if (target && index >= 0 && index < int(MovieClipObject::PropertyCount))
        target->setProperty(m_engine, int(index), value);
}

void Interpreter::actionStartDrag(Context &c)
{
    MovieClipObject *target = Variables::targetClip(m_engine, c, pop(c));
    const bool lockCenter = m_engine.toBoolean(pop(c));
    const bool constrain = m_engine.toBoolean(pop(c));
    QRectF bounds;
    if (constrain) {
        const double bottom = m_engine.toNumber(pop(c));
        const double right = m_engine.toNumber(pop(c));
        const double top = m_engine.toNumber(pop(c));
        const double left = m_engine.toNumber(pop(c));
        bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    if (target)
        m_engine.startDrag(target, lockCenter, constrain ? &bounds : nullptr);
}

void Interpreter::actionCall(Context &c)
{
    Value frame = pop(c);
    MovieClipObject *target = c.target ? c.target->resolve(m_engine) : nullptr;
    if (frame.isString()) {
        const QString text = frame.string();
        const int colon = text.lastIndexOf(u':');
        if (colon >= 0) {
            Object *o = Variables::resolvePath(m_engine, c, text.left(colon));
            target = o && o->asMovieClip() ? o->asMovieClip()->resolve(m_engine) : nullptr;
            frame = text.mid(colon + 1);
        }
    }
    Clip *clip = target ? target->clip() : nullptr;
    if (!clip || !clip->timeline())
        return;
    int index = -1;
    if (frame.isString() && std::isnan(stringToNumber(frame.string(), c.version)))
        index = clip->labelFrame(frame.string());
    else {
        const double n = m_engine.toNumber(frame);
        if (n >= 1 && n <= clip->frameCount())
            index = int(n) - 1;
    }
    if (index < 0)
        return;
    // The frame's actions run now, as a subroutine of this list.
    for (const ActionBlock &block : clip->timeline()->frames[std::size_t(index)].actions) {
        m_engine.enterCall();
        struct Leave
        {
            Engine &e;
            ~Leave() { e.leaveCall(); }
        } leave{m_engine};
        runTopLevel(block.code, target);
    }
}

void Interpreter::actionExtends(Context &c)
{
    const Value superclass = pop(c);
    const Value subclass = pop(c);
    Object *sub = subclass.object();
    Object *super = superclass.object();
    if (!sub || !super)
        return;
    Object *prototype = m_engine.heap().make<Object>(
        super->get(m_engine, QStringLiteral("prototype")).object());
    prototype->define(m_engine, QStringLiteral("__constructor__"), Value(super));
    prototype->define(m_engine, QStringLiteral("constructor"), Value(sub));
    sub->set(m_engine, QStringLiteral("prototype"), Value(prototype));
}

void Interpreter::actionImplements(Context &c)
{
    const Value constructor = pop(c);
    std::vector<Value> interfaces = popArguments(c);
    Object *f = constructor.object();
    Object *prototype = f ? f->get(m_engine, QStringLiteral("prototype")).object() : nullptr;
    if (!prototype)
        return;
    // Kept for instanceof; nothing else looks at them.
    ArrayObject *list = m_engine.newArray();
    list->elements() = std::move(interfaces);
    prototype->define(m_engine, QStringLiteral("__interfaces__"), Value(list));
}

void Interpreter::actionCloneSprite(Context &c)
{
    const double depth = m_engine.toNumber(pop(c));
    const QString name = m_engine.toString(pop(c));
    MovieClipObject *source = Variables::targetClip(m_engine, c, pop(c));
    if (source && std::isfinite(depth))
        m_engine.duplicateClip(source, name, depth - Clip::DepthOffset); // the action counts keys
}

void Interpreter::actionStringExtract(Context &c, bool multibyte)
{
    Q_UNUSED(multibyte);
    const double count = m_engine.toNumber(pop(c));
    const double index = m_engine.toNumber(pop(c));
    const QString s = m_engine.toString(pop(c));
    // 1-based; a start before the first character starts at it, a count
    // below zero takes the rest.
    int from = std::isfinite(index) ? int(std::clamp(index, -1e9, 1e9)) - 1 : 0;
    if (from < 0)
        from = 0;
    int n = std::isfinite(count) ? int(std::clamp(count, -1e9, 1e9)) : 0;
    if (n < 0)
        n = int(s.size());
    push(c, from >= s.size() ? QString() : s.mid(from, n));
}

bool Interpreter::actionWaitForFrame(Context &c, const Value &frame)
{
    MovieClipObject *target = c.target ? c.target->resolve(m_engine) : nullptr;
    Clip *clip = target ? target->clip() : nullptr;
    if (!clip)
        return true;
    // Every frame is loaded before the movie starts; one past the end never is.
    const double n = m_engine.toNumber(frame);
    return !(n > clip->frameCount());
}

void Interpreter::skipActions(Context &c, int count, int &pc, int end)
{
    for (int i = 0; i < count && pc < end; ++i) {
        const int op = c.bytes[pc];
        if (op == 0)
            return;
        int next = pc + 1;
        if (op >= 0x80) {
            if (pc + 3 > c.size)
                return;
            next = pc + 3 + u16(c.bytes, pc + 1);
        }
        pc = next;
    }
}

} // namespace swf::script
