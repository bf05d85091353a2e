#include "script/Engine.h"

#include "Movie.h"
#include "script/ArrayObject.h"
#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/Interpreter.h"
#include "script/Limits.h"
#include "script/MovieClipObject.h"
#include "script/ScriptFunction.h"
#include "script/ScriptHost.h"
#include "script/SuperObject.h"
#include "script/WrapperObject.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace swf::script {

namespace {

// The backstop counts the processor time the scripts take, not the time on
// the clock: a machine busy with other work slows a movie down but does not
// make its scripts overrun.
double threadProcessorMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

const double NaN = std::numeric_limits<double>::quiet_NaN();

// The on... method that follows a clip event from version 6 on.
QString methodOf(unsigned event)
{
    switch (event) {
    case ClipEvent::Load: return QStringLiteral("onLoad");
    case ClipEvent::EnterFrame: return QStringLiteral("onEnterFrame");
    case ClipEvent::Unload: return QStringLiteral("onUnload");
    case ClipEvent::MouseMove: return QStringLiteral("onMouseMove");
    case ClipEvent::MouseDown: return QStringLiteral("onMouseDown");
    case ClipEvent::MouseUp: return QStringLiteral("onMouseUp");
    case ClipEvent::KeyDown: return QStringLiteral("onKeyDown");
    case ClipEvent::KeyUp: return QStringLiteral("onKeyUp");
    case ClipEvent::Data: return QStringLiteral("onData");
    case ClipEvent::Press: return QStringLiteral("onPress");
    case ClipEvent::Release: return QStringLiteral("onRelease");
    case ClipEvent::ReleaseOutside: return QStringLiteral("onReleaseOutside");
    case ClipEvent::RollOver: return QStringLiteral("onRollOver");
    case ClipEvent::RollOut: return QStringLiteral("onRollOut");
    case ClipEvent::DragOver: return QStringLiteral("onDragOver");
    case ClipEvent::DragOut: return QStringLiteral("onDragOut");
    default: return {};
    }
}

bool hasClipEvent(const Clip &clip, unsigned event)
{
    if (!clip.events())
        return false;
    for (const ClipEventAction &a : *clip.events()) {
        if (a.events & event)
            return true;
    }
    return false;
}

// Collections wait until this many cells were made, or as many as live.
constexpr std::size_t CollectAfter = 50000;

} // namespace

Engine::Engine(ScriptHost &host, ClipWorld &world, int version)
    : m_host(host), m_world(world),
      // Later files that still carry these scripts follow the rules of 8.
      m_version(std::clamp(version, 1, 8)),
      m_interpreter(new Interpreter(*this)),
      m_random(QRandomGenerator::global()->generate())
{
    const int asked = world.movie ? world.movie->info().maxRecursion : 0;
    m_recursionLimit = asked > 0 ? std::min(asked, Limits::MaxRecursion) : Limits::Recursion;
    setupBuiltins();
}

Engine::~Engine() = default;

void Engine::setupBuiltins()
{
    // Object.prototype and Function.prototype come first: every other
    // built-in hangs from them.
    m_prototypes.object = m_heap.make<Object>(nullptr);
    // Functions of version 5 inherit nothing: not even toString.
    m_prototypes.function = m_heap.make<Object>(m_version >= 6 ? m_prototypes.object : nullptr);
    m_global = m_heap.make<Object>(m_prototypes.object);
    m_registered = m_heap.make<Object>(nullptr);
    builtins::installObject(*this, m_prototypes);
    builtins::installFunction(*this, m_prototypes);
    builtins::installArray(*this, m_prototypes);
    builtins::installString(*this, m_prototypes);
    builtins::installNumber(*this, m_prototypes);
    builtins::installBoolean(*this, m_prototypes);
    builtins::installDate(*this, m_prototypes);
    builtins::installMath(*this);
    builtins::installGlobals(*this);
    builtins::installMovieClip(*this, m_prototypes);
    builtins::installColor(*this, m_prototypes);
    builtins::installInput(*this);
    builtins::installSound(*this);
    builtins::installTextField(*this, m_prototypes);
}

Object *Engine::newObject()
{
    return m_heap.make<Object>(m_prototypes.object);
}

ArrayObject *Engine::newArray()
{
    return m_heap.make<ArrayObject>(m_prototypes.array);
}

NativeFunction *Engine::newNative(NativeCode code, int data)
{
    return m_heap.make<NativeFunction>(m_prototypes.function, code, nullptr, data);
}

NativeFunction *Engine::newClass(NativeCode code, NativeCode construct, Object *prototype)
{
    NativeFunction *f = m_heap.make<NativeFunction>(m_prototypes.function, code, construct);
    f->define(*this, QStringLiteral("prototype"), Value(prototype),
              Attribute::DontEnum | Attribute::DontDelete);
    prototype->define(*this, QStringLiteral("constructor"), Value(f));
    return f;
}

void Engine::method(Object *object, const QString &name, NativeCode code, int data)
{
    object->define(*this, name, Value(newNative(code, data)));
}

Value Engine::call(FunctionObject *function, const Value &thisValue, const std::vector<Value> &args,
                   Object *level)
{
    if (!function)
        return {};
    if (auto *f = dynamic_cast<ScriptFunction *>(function)) {
        // `super`: the prototype above the function's, and the constructor
        // Extends gave that level.
        Object *super = nullptr;
        if (f->version >= 6) {
            if (!level && thisValue.object())
                level = thisValue.object()->prototype();
            if (level) {
                const Value constructor = level->get(*this, QStringLiteral("__constructor__"));
                FunctionObject *c = constructor.object() ? constructor.object()->asFunction() : nullptr;
                super = m_heap.make<SuperObject>(level->prototype(), c, thisValue);
            }
        }
        return m_interpreter->call(f, thisValue, args, super);
    }
    auto *native = static_cast<NativeFunction *>(function);
    enterCall();
    struct Leave
    {
        Engine &e;
        ~Leave() { e.leaveCall(); }
    } leave{*this};
    NativeCall c{*this, thisValue, args, nullptr, native->data()};
    return native->code()(c);
}

Object *Engine::prototypeOf(FunctionObject *function)
{
    Object *p = function->get(*this, QStringLiteral("prototype")).object();
    return p ? p : m_prototypes.object;
}

Value Engine::construct(FunctionObject *function, const std::vector<Value> &args)
{
    Object *prototype = prototypeOf(function);
    auto *native = dynamic_cast<NativeFunction *>(function);
    if (native && native->construct()) {
        enterCall();
        struct Leave
        {
            Engine &e;
            ~Leave() { e.leaveCall(); }
        } leave{*this};
        NativeCall c{*this, Value(), args, prototype, native->data()};
        return native->construct()(c);
    }
    Object *o = m_heap.make<Object>(prototype);
    o->define(*this, QStringLiteral("__constructor__"), Value(function));
    if (m_version < 6)
        o->define(*this, QStringLiteral("constructor"), Value(function));
    const Value r = call(function, Value(o), args);
    if (native && r.isObject())
        return r;
    return o;
}

Value Engine::callMethod(const Value &object, const QString &name, const std::vector<Value> &args)
{
    // super.method(): found above, run on the method's own `this`.
    if (auto *super = dynamic_cast<SuperObject *>(object.object())) {
        Object *home = super->home();
        const Value f = home ? home->get(*this, name) : Value();
        FunctionObject *function = f.object() ? f.object()->asFunction() : nullptr;
        return function ? call(function, super->self(), args, home) : Value();
    }
    const Value f = getMember(object, Value(name));
    FunctionObject *function = f.object() ? f.object()->asFunction() : nullptr;
    if (!function)
        return {};
    Value self = object;
    if (MovieClipObject *m = object.object() ? object.object()->asMovieClip() : nullptr) {
        if (MovieClipObject *now = m->resolve(*this))
            self = now;
    }
    return call(function, self, args);
}

Value Engine::toPrimitive(const Value &value, Hint hint)
{
    Object *o = value.object();
    if (!o)
        return value;
    if (MovieClipObject *m = o->asMovieClip()) {
        MovieClipObject *now = m->resolve(*this);
        // A reference whose clip is gone reads as nothing.
        return now ? Value(now->dotPath()) : Value(QString());
    }
    // A String object is its text, whatever its toString says.
    if (auto *w = dynamic_cast<WrapperObject *>(o); w && w->primitive().isString())
        return w->primitive();
    static const QString valueOf = QStringLiteral("valueOf");
    static const QString toString = QStringLiteral("toString");
    bool called = false;
    auto attempt = [&](const QString &name, Value &out) {
        const Value method = o->get(*this, name);
        FunctionObject *function = method.object() ? method.object()->asFunction() : nullptr;
        if (!function)
            return false;
        called = true;
        try {
            out = call(function, value, {});
        } catch (const LimitReached &limit) {
            // A conversion calling itself over and over ends as one whose
            // method gave an object back.
            if (!limit.recursion)
                throw;
            return false;
        }
        // A clip given back stands for its path.
        return !out.isObject() || out.object()->asMovieClip();
    };
    // From version 6, dates read as text unless a number is asked for.
    if (hint == Hint::None && m_version >= 6 && o->className() == u"Date")
        hint = Hint::String;
    Value out;
    if (hint != Hint::String && attempt(valueOf, out))
        return out.isObject() ? toPrimitive(out) : out;
    if (hint == Hint::Number)
        return called ? Value(NaN) : Value();
    if (attempt(toString, out))
        return out.isObject() ? toPrimitive(out) : out;
    if (!called)
        return {};
    return o->asFunction() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]");
}

double Engine::toNumber(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return m_version < 7 ? 0 : NaN;
    case Value::Type::Boolean:
        return value.boolean() ? 1 : 0;
    case Value::Type::Number:
        return value.number();
    case Value::Type::String: {
        const double n = stringToNumber(value.string(), m_version);
        // Version 4 reads text that is no number as 0.
        return m_version < 5 && std::isnan(n) ? 0 : n;
    }
    case Value::Type::Object:
        return toNumber(toPrimitive(value, Hint::Number));
    }
    return NaN;
}

QString Engine::toString(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Undefined: return m_version < 7 ? QString() : QStringLiteral("undefined");
    case Value::Type::Null: return QStringLiteral("null");
    case Value::Type::Boolean: return value.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Type::Number: return numberToString(value.number());
    case Value::Type::String: return value.string();
    case Value::Type::Object:
        return toString(toPrimitive(value, Hint::String));
    }
    return {};
}

bool Engine::toBoolean(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null: return false;
    case Value::Type::Boolean: return value.boolean();
    case Value::Type::Number: return value.number() != 0 && !std::isnan(value.number());
    case Value::Type::String: {
        if (m_version >= 7)
            return !value.string().isEmpty();
        const double n = toNumber(value);
        return n != 0 && !std::isnan(n);
    }
    case Value::Type::Object: return true;
    }
    return false;
}

Object *Engine::toObject(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Object: return value.object();
    case Value::Type::Boolean: return m_heap.make<WrapperObject>(m_prototypes.boolean, value);
    case Value::Type::Number: return m_heap.make<WrapperObject>(m_prototypes.number, value);
    case Value::Type::String: return m_heap.make<WrapperObject>(m_prototypes.string, value);
    default: return nullptr;
    }
}

QString Engine::typeOf(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Undefined: return QStringLiteral("undefined");
    case Value::Type::Null: return QStringLiteral("null");
    case Value::Type::Boolean: return QStringLiteral("boolean");
    case Value::Type::Number: return QStringLiteral("number");
    case Value::Type::String: return QStringLiteral("string");
    case Value::Type::Object:
        if (value.object()->asFunction())
            return QStringLiteral("function");
        if (value.object()->asMovieClip())
            return QStringLiteral("movieclip");
        return QStringLiteral("object");
    }
    return {};
}

QString Engine::memberName(const Value &name)
{
    return name.isString() ? name.string() : toString(name);
}

Value Engine::getMember(const Value &object, const Value &name)
{
    Object *o = object.object();
    if (!o) {
        Object *prototype = nullptr;
        switch (object.type()) {
        case Value::Type::String: {
            // A text's members are those of a String made of it, made by
            // whatever String now names.
            const Value current = m_global->get(*this, QStringLiteral("String"));
            if (current.object() != m_stringClass) {
                FunctionObject *f = current.object() ? current.object()->asFunction() : nullptr;
                return f ? getMember(construct(f, {object}), name) : Value();
            }
            const QString key = memberName(name);
            if (namesMatch(key, QStringLiteral("length")))
                return double(object.string().size());
            prototype = m_prototypes.string;
            break;
        }
        case Value::Type::Number: prototype = m_prototypes.number; break;
        case Value::Type::Boolean: prototype = m_prototypes.boolean; break;
        default: return {};
        }
        return prototype->get(*this, memberName(name));
    }
    if (MovieClipObject *m = o->asMovieClip()) {
        o = m->resolve(*this);
        if (!o)
            return {};
    }
    if (name.isNumber()) {
        if (auto *array = dynamic_cast<ArrayObject *>(o)) {
            const double i = name.number();
            if (i >= 0 && i < double(array->length()) && i == std::floor(i))
                return array->at(std::size_t(i));
        }
    }
    return o->get(*this, memberName(name));
}

void Engine::setMember(const Value &object, const Value &name, const Value &value)
{
    Object *o = object.object();
    if (!o)
        return; // properties of a primitive go nowhere
    if (MovieClipObject *m = o->asMovieClip()) {
        o = m->resolve(*this);
        if (!o)
            return;
    }
    if (name.isNumber()) {
        if (auto *array = dynamic_cast<ArrayObject *>(o)) {
            const double i = name.number();
            if (i >= 0 && i < double(ArrayObject::MaxLength) && i == std::floor(i)) {
                array->put(*this, std::size_t(i), value);
                return;
            }
        }
    }
    o->set(*this, memberName(name), value);
}

MovieClipObject *Engine::clipObject(Clip *clip)
{
    if (!clip)
        return nullptr;
    if (MovieClipObject *o = clip->scriptObject())
        return o;
    Object *prototype = m_prototypes.movieClip;
    // A symbol given a class by Object.registerClass gets its prototype.
    if (clip->characterId() && m_world.movie) {
        const Value c = m_registered->get(*this, QString::number(clip->characterId()));
        if (Object *f = c.object())
            if (Object *p = f->get(*this, QStringLiteral("prototype")).object())
                prototype = p;
    }
    auto *o = m_heap.make<MovieClipObject>(prototype, clip->shared_from_this());
    clip->setScriptObject(o);
    return o;
}

void Engine::trace(const Value &value)
{
    QString text = value.isUndefined() ? QStringLiteral("undefined") : toString(value);
    m_host.trace(text);
}

void Engine::runActions(Clip &clip, const QByteArray &code)
{
    if (m_stopped)
        return;
    ++m_running;
    try {
        // A list run from inside another (the construct event of a clip a
        // script duplicates, whose own script duplicates it again) nests
        // as a call does, and is bounded as calls are.
        enterCall();
        const struct Leave { int &depth; ~Leave() { --depth; } } leave{m_callDepth};
        m_interpreter->runTopLevel(code, clipObject(&clip));
    } catch (const LimitReached &limit) {
        stop(limit.what);
    } catch (const ScriptThrow &) {
        // An exception nothing caught ends its action list.
    } catch (const std::bad_alloc &) {
        stop("memory");
    }
    --m_running;
}

void Engine::runEvent(Clip &clip, unsigned event)
{
    if (m_stopped)
        return;
    if (clip.events()) {
        // The list is shared with the movie; the clip may go meanwhile.
        const ClipEventList events = clip.events();
        for (const ClipEventAction &a : *events) {
            if (!(a.events & event))
                continue;
            if (event == ClipEvent::KeyPress && a.key != m_host.lastKey())
                continue;
            runActions(clip, a.code);
        }
    }
    if (m_version < 6 || m_stopped)
        return;
    const QString name = methodOf(event);
    if (name.isEmpty())
        return;
    // A clip no script has touched yet has a method only through its class.
    MovieClipObject *o = clip.scriptObject();
    if (!o) {
        if (!classHandles(clip, name))
            return;
        o = clipObject(&clip);
    }
    ++m_running;
    try {
        const Value f = o->get(*this, name);
        if (FunctionObject *function = f.object() ? f.object()->asFunction() : nullptr)
            call(function, Value(o), {});
    } catch (const LimitReached &limit) {
        stop(limit.what);
    } catch (const ScriptThrow &) {
    } catch (const std::bad_alloc &) {
        stop("memory");
    }
    --m_running;
}

void Engine::runPending(const ClipWorld::Pending &pending)
{
    std::shared_ptr<Clip> clip = pending.clip.lock();
    if (!clip)
        return;
    if (pending.kind == ClipWorld::Pending::Kind::Actions) {
        // Actions queued for a clip that has since left are dropped.
        if (!clip->removed())
            runActions(*clip, *pending.code);
        return;
    }
    // A clip waiting for its unload handlers still loads, nothing else.
    if (clip->removed() && pending.event != ClipEvent::Unload
        && (clip->gone() || pending.event != ClipEvent::Load))
        return;
    runEvent(*clip, pending.event);
    if (pending.event == ClipEvent::Unload && clip->awaitingUnload())
        clip->finishUnload();
}

void Engine::runQueue()
{
    ClipWorld::Pending pending;
    while (m_world.takeNext(pending)) {
        if (m_stopped) {
            m_world.clearQueues();
            return;
        }
        runPending(pending);
        collectGarbage();
    }
}

void Engine::startTick()
{
    m_steps = 0;
    m_nextCheck = 1 << 16;
    m_tickStartMs = threadProcessorMs();
    m_clipsThisTick = 0;
    m_gotosThisTick = 0;
}

void Engine::stop(const char *reason)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_stopReason = reason;
    m_world.clearQueues();
    m_intervals.clear();
    m_drag = {};
}

void Engine::checkTime()
{
    m_nextCheck = m_steps + (1 << 16);
    if (m_steps >= Limits::StepsPerTick)
        throw LimitReached{"actions in one frame"};
    if (threadProcessorMs() - m_tickStartMs > Limits::MillisecondsPerTick)
        throw LimitReached{"time in one frame"};
    chargeMemory(0);
}

void Engine::chargeMemory(std::size_t units)
{
    m_memory += units;
    if (m_liveWeight + m_memory + 4 * m_heap.madeSinceCollect() > std::size_t(Limits::Memory))
        throw LimitReached{"memory"};
}

void Engine::checkString(const QString &text)
{
    if (text.size() > Limits::StringLength)
        throw LimitReached{"string length"};
}

void Engine::chargeStored(const Value &value)
{
    // Short texts are counted with the property holding them; a long one
    // a script keeps counts for its length.
    if (value.isString() && value.string().size() >= 64)
        chargeMemory(std::size_t(value.string().size()) / 16);
}

void Engine::enterCall()
{
    if (++m_callDepth > m_recursionLimit) {
        --m_callDepth;
        throw LimitReached{"recursion", true};
    }
}

void Engine::chargeClip()
{
    if (++m_clipsThisTick > Limits::ClipsPerTick)
        throw LimitReached{"clips made in one frame"};
}

void Engine::chargeGoto()
{
    if (++m_gotosThisTick > Limits::GotosPerTick)
        throw LimitReached{"jumps in one frame"};
}

int Engine::withLimit() const
{
    return m_version <= 5 ? Limits::WithNesting5 : Limits::WithNesting;
}

void Engine::traceRoots(Tracer &tracer)
{
    tracer.mark(m_global);
    tracer.mark(m_registered);
    for (Object *p : {m_prototypes.object, m_prototypes.function, m_prototypes.array,
                      m_prototypes.string, m_prototypes.number, m_prototypes.boolean,
                      m_prototypes.movieClip, m_prototypes.color, m_prototypes.error,
                      m_prototypes.textField})
        tracer.mark(p);
    for (const Interval &i : m_intervals) {
        tracer.mark(i.function);
        tracer.mark(i.object);
        for (const Value &v : i.args)
            tracer.mark(v);
    }
    tracer.mark(m_drag.target);
    // Every clip still listed keeps its object: its variables live there.
    for (const std::weak_ptr<Clip> &weak : m_world.clips) {
        if (auto clip = weak.lock())
            tracer.mark(clip->scriptObject());
    }
    if (m_root)
        tracer.mark(m_root->scriptObject());
}

void Engine::collectGarbage(bool force)
{
    if (m_running > 0)
        return;
    const std::size_t made = m_heap.madeSinceCollect();
    // Now and then, or when what scripts keep may have grown a lot.
    if (!force && made < std::max(CollectAfter, m_heap.cells())
        && m_memory < std::size_t(Limits::Memory) / 4)
        return;
    // The list of clips forgets those that are gone.
    std::erase_if(m_world.clips, [](const std::weak_ptr<Clip> &c) { return c.expired(); });
    m_liveWeight = m_heap.collect([this](Tracer &t) { traceRoots(t); });
    m_memory = 0;
    if (m_liveWeight > std::size_t(Limits::Memory))
        stop("memory");
}

bool Engine::hasUnloadHandler(Clip &clip)
{
    if (hasClipEvent(clip, ClipEvent::Unload))
        return true;
    if (m_version < 6)
        return false;
    Object *o = clip.scriptObject();
    const QString name = QStringLiteral("onUnload");
    try {
        return o ? o->has(*this, name) : m_prototypes.movieClip->has(*this, name);
    } catch (...) {
        return false;
    }
}

bool Engine::wantsUnload(Clip &clip, int depth)
{
    if (hasUnloadHandler(clip))
        return true;
    if (depth > ClipWorld::MaxNesting)
        return false;
    for (const auto &[key, object] : clip.objects()) {
        if (object.clip && !object.clip->isButton() && wantsUnload(*object.clip, depth + 1))
            return true;
    }
    return false;
}

bool Engine::keepsForUnload(Clip &clip)
{
    if (m_stopped)
        return false;
    try {
        return wantsUnload(clip, 0);
    } catch (...) {
        return false;
    }
}

void Engine::clipCreated(Clip &clip)
{
    if (hasClipEvent(clip, ClipEvent::Initialize))
        clip.queueEvent(ClipWorld::Early, ClipEvent::Initialize);
    if (hasClipEvent(clip, ClipEvent::Construct))
        clip.queueEvent(ClipWorld::Construct, ClipEvent::Construct);
    clip.queueEvent(ClipWorld::Normal, ClipEvent::Load);
}

void Engine::queueEnterFrame(Clip &clip)
{
    if (m_stopped)
        return;
    bool wanted = hasClipEvent(clip, ClipEvent::EnterFrame);
    if (!wanted && m_version >= 6) {
        static const QString name = QStringLiteral("onEnterFrame");
        MovieClipObject *o = clip.scriptObject();
        wanted = o ? o->has(*this, name) : classHandles(clip, name);
    }
    if (wanted)
        clip.queueEvent(ClipWorld::Normal, ClipEvent::EnterFrame);
}

bool Engine::classHandles(Clip &clip, const QString &method)
{
    if (m_prototypes.movieClip->has(*this, method))
        return true;
    return clip.characterId() && m_registered->hasOwn(*this, QString::number(clip.characterId()));
}

MovieClipObject *Engine::duplicateClip(MovieClipObject *source, const QString &name, double depth)
{
    Clip *clip = source->clip();
    if (!clip || !clip->parent() || !(depth >= -2147483648.0 + Clip::DepthOffset)
        || depth > 2147483647.0 - Clip::DepthOffset)
        return nullptr;
    chargeClip();
    Clip *made = clip->duplicate(name, int(depth) + Clip::DepthOffset);
    if (!made)
        return nullptr;
    MovieClipObject *o = clipObject(made);
    startScriptClip(*made, true);
    return o;
}

void Engine::startScriptClip(Clip &clip, bool constructNow)
{
    // A clip made by a script constructs at once; its initialize and load
    // events wait as a placed clip's do.
    if (constructNow && hasClipEvent(clip, ClipEvent::Construct))
        runEvent(clip, ClipEvent::Construct);
    if (hasClipEvent(clip, ClipEvent::Initialize))
        clip.queueEvent(ClipWorld::Early, ClipEvent::Initialize);
    clip.queueEvent(ClipWorld::Normal, ClipEvent::Load);
    clip.start();
}

int Engine::addInterval(FunctionObject *function, Object *object, const QString &method, double ms,
                        std::vector<Value> args)
{
    // A few hundred timers are plenty; more are a runaway script.
    if (m_intervals.size() >= 1000)
        return 0;
    Interval i;
    i.id = m_nextInterval++;
    i.function = function;
    i.object = object;
    i.method = method;
    i.every = std::isfinite(ms) && ms > 0 ? ms : 0;
    i.due = m_host.timeMs() + i.every;
    i.args = std::move(args);
    m_intervals.push_back(std::move(i));
    return m_intervals.back().id;
}

void Engine::removeInterval(int id)
{
    std::erase_if(m_intervals, [id](const Interval &i) { return i.id == id; });
}

void Engine::runIntervals()
{
    if (m_stopped || m_intervals.empty())
        return;
    const double now = m_host.timeMs();
    // Ids, since a callback may clear or add intervals.
    std::vector<int> due;
    for (const Interval &i : m_intervals) {
        if (i.due <= now)
            due.push_back(i.id);
    }
    for (int id : due) {
        auto it = std::find_if(m_intervals.begin(), m_intervals.end(),
                               [id](const Interval &i) { return i.id == id; });
        if (it == m_intervals.end())
            continue;
        // Timers shorter than a frame still fire once a frame.
        it->due = std::max(it->due + it->every, now + 1);
        const Interval copy = *it;
        ++m_running;
        try {
            if (copy.function) {
                call(copy.function, Value(), copy.args);
            } else if (copy.object) {
                callMethod(Value(copy.object), copy.method, copy.args);
            }
        } catch (const LimitReached &limit) {
            stop(limit.what);
        } catch (const ScriptThrow &) {
        } catch (const std::bad_alloc &) {
            stop("memory");
        }
        --m_running;
        if (m_stopped)
            return;
    }
}

double Engine::newNaN()
{
    const quint64 bits = 0x7ff8000000000000ull | (++m_nans & 0x0007ffffffffffffull);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void Engine::startDrag(MovieClipObject *target, bool lockCenter, const QRectF *bounds)
{
    m_drag = {};
    m_drag.target = target;
    m_drag.lockCenter = lockCenter;
    if (bounds) {
        m_drag.bounds = bounds->normalized();
        m_drag.constrained = true;
    }
    Clip *clip = target->clip();
    DisplayObject *p = clip ? clip->placement() : nullptr;
    if (!p)
        return;
    const QPointF mouse = parentPoint(*clip, m_host.mouse());
    m_drag.offset = lockCenter ? QPointF() : QPointF(p->matrix.dx() / 20, p->matrix.dy() / 20) - mouse;
    updateDrag();
}

void Engine::stopDrag()
{
    m_drag = {};
}

QPointF Engine::parentPoint(Clip &clip, QPointF stage)
{
    Matrix toStage;
    for (Clip *at = clip.parent(); at && at->parent(); at = at->parent()) {
        if (DisplayObject *pl = at->placement())
            toStage = toStage * pl->matrix;
    }
    return toStage.inverted().map(stage * 20) / 20;
}

void Engine::updateDrag()
{
    if (!m_drag.target)
        return;
    Clip *clip = m_drag.target->clip();
    DisplayObject *p = clip ? clip->placement() : nullptr;
    if (!p) {
        m_drag = {};
        return;
    }
    QPointF at = parentPoint(*clip, m_host.mouse()) + m_drag.offset;
    if (m_drag.constrained) {
        at.setX(std::clamp(at.x(), m_drag.bounds.left(), m_drag.bounds.right()));
        at.setY(std::clamp(at.y(), m_drag.bounds.top(), m_drag.bounds.bottom()));
    }
    Matrix &m = p->matrix;
    m.setMatrix(m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), std::trunc(at.x() * 20),
                std::trunc(at.y() * 20), m.m33());
    p->scripted = true;
}

QString Engine::dropTarget() const
{
    return m_drag.dropTarget;
}

} // namespace swf::script
