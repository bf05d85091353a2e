#pragma once

#include "display/Clip.h"
#include "script/Function.h"
#include "script/Heap.h"
#include "script/Value.h"

#include <QRandomGenerator>
#include <memory>
#include <vector>

namespace swf::script {

class ArrayObject;
class Interpreter;
class MovieClipObject;
class ScriptHost;

// The scripts of one player: the heap and the built-in objects, the
// conversions and calls every part of the interpreter shares, the bounds
// on what a movie may do, and the running of the actions the timelines
// queue. Follows the rules of the movie's version; files of version 9 and
// later that hold these scripts follow version 7 and later.
class Engine : public ClipListener
{
public:
    Engine(ScriptHost &host, ClipWorld &world, int version);
    ~Engine() override;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    int version() const { return m_version; }
    // Names match ignoring case before version 7.
    bool caseSensitive() const { return m_version >= 7; }
    bool namesMatch(const QString &a, const QString &b) const
    {
        return a.size() == b.size()
            && a.compare(b, caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    }

    Heap &heap() { return m_heap; }
    ScriptHost &host() { return m_host; }
    ClipWorld &world() { return m_world; }
    Interpreter &interpreter() { return *m_interpreter; }
    void setRoot(Clip *root) { m_root = root; }
    Clip *root() const { return m_root; }

    // The built-in objects.
    struct Prototypes
    {
        Object *object = nullptr;
        Object *function = nullptr;
        Object *array = nullptr;
        Object *string = nullptr;
        Object *number = nullptr;
        Object *boolean = nullptr;
        Object *movieClip = nullptr;
        Object *color = nullptr;
        Object *error = nullptr;
        Object *textField = nullptr;
    };
    const Prototypes &prototypes() const { return m_prototypes; }
    Object *global() const { return m_global; }

    Object *newObject();
    ArrayObject *newArray();
    // A built-in function, its prototype Function.prototype.
    NativeFunction *newNative(NativeCode code, int data = 0);
    // A constructor: a built-in function with a `prototype` object whose
    // `constructor` is the function.
    NativeFunction *newClass(NativeCode code, NativeCode construct, Object *prototype);
    // Defines a built-in method (hidden from for..in) on `object`.
    void method(Object *object, const QString &name, NativeCode code, int data = 0);

    // Calls; a function of any kind, `this` as given. `level`: the
    // prototype the function was found on, which `super` starts above;
    // null: the prototype of `this`.
    Value call(FunctionObject *function, const Value &thisValue, const std::vector<Value> &args,
               Object *level = nullptr);
    // `new function(args)`.
    Value construct(FunctionObject *function, const std::vector<Value> &args);
    // object[name](args), undefined when there is no such function.
    Value callMethod(const Value &object, const QString &name, const std::vector<Value> &args);
    // The prototype `new` gives objects made by `function`, or Object.prototype.
    Object *prototypeOf(FunctionObject *function);

    // Conversions by the version's rules.
    // An object's primitive: valueOf then toString with no hint, only
    // toString for text, only valueOf for numbers. A method that gives an
    // object back yields "[type Object]" ("[type Function]"), or NaN for
    // a number; an object with neither method, undefined. A clip is its path.
    enum class Hint { None, String, Number };
    Value toPrimitive(const Value &value, Hint hint = Hint::None);
    double toNumber(const Value &value);
    QString toString(const Value &value);
    bool toBoolean(const Value &value);
    // A wrapper for a boolean, number or string; null for undefined and null.
    Object *toObject(const Value &value);
    QString typeOf(const Value &value);

    // Member access of any value (a string's `length`, an array's index).
    Value getMember(const Value &object, const Value &name);
    void setMember(const Value &object, const Value &name, const Value &value);
    // The property name a value stands for.
    QString memberName(const Value &name);

    // The script object of a clip, made on first use.
    MovieClipObject *clipObject(Clip *clip);

    // Runs an action list on `clip`'s timeline, `this` the clip.
    void runActions(Clip &clip, const QByteArray &code);
    // Runs one of a clip's events now: its onClipEvent handlers, then
    // (version 6 on) its on... method.
    void runEvent(Clip &clip, unsigned event);
    // Queues a clip's enterFrame, before its timeline advances.
    void queueEnterFrame(Clip &clip);
    // trace(): undefined prints as "undefined" in every version.
    void trace(const Value &value);

    // What scripts do to clips that needs the events of new clips.
    MovieClipObject *duplicateClip(MovieClipObject *source, const QString &name, double depth);
    // A clip a script just made: its events, then its first frame.
    void startScriptClip(Clip &clip, bool constructNow);
    // startDrag and stopDrag; updateDrag follows the pointer.
    void startDrag(MovieClipObject *target, bool lockCenter, const QRectF *bounds);
    void stopDrag();
    void updateDrag();
    QString dropTarget() const;
    // A stage point in pixels, in the coordinates of a clip's parent.
    static QPointF parentPoint(Clip &clip, QPointF stage);
    // Runs what the timelines queued, until nothing is left.
    void runQueue();
    // A new frame: the step budget starts again.
    void startTick();
    // Intervals (setInterval) whose time has come.
    void runIntervals();
    // Frees what no script can reach any more, now and then.
    void collectGarbage(bool force = false);

    // Whether the movie's scripts were stopped by a bound.
    bool stopped() const { return m_stopped; }
    const char *stopReason() const { return m_stopReason; }

    // Bounds, each throwing LimitReached when passed.
    void step()
    {
        if (++m_steps >= m_nextCheck)
            checkTime();
    }
    void chargeMemory(std::size_t units);
    void checkString(const QString &text);
    // A value kept in a property or an element: long texts count.
    void chargeStored(const Value &value);
    void enterCall();
    void leaveCall() { --m_callDepth; }
    void chargeClip();
    void chargeGoto();
    int withLimit() const;

    // Accessors (addProperty) make assignments look through prototypes;
    // until a movie makes one, they need not.
    bool hasAccessors() const { return m_accessors; }
    void noteAccessor() { m_accessors = true; }

    // setInterval and clearInterval.
    int addInterval(FunctionObject *function, Object *object, const QString &method, double ms,
                    std::vector<Value> args);
    void removeInterval(int id);

    double random01() { return m_random.generateDouble(); }
    // A NaN no other NaN equals (see Operators::equals).
    double newNaN();
    int randomBelow(int n) { return n > 0 ? int(m_random.bounded(n)) : 0; }

    // The classes Object.registerClass gave exported symbols.
    Object *registeredClasses() const { return m_registered; }
    // The built-in String, which texts' members come from while String
    // names it.
    void setStringClass(Object *c) { m_stringClass = c; }

    // ClipListener.
    void clipCreated(Clip &clip) override;
    bool keepsForUnload(Clip &clip) override;
    bool hasUnloadHandler(Clip &clip) override;

private:
    void setupBuiltins();
    void runPending(const ClipWorld::Pending &pending);
    void stop(const char *reason);
    void checkTime();
    void traceRoots(Tracer &tracer);
    bool wantsUnload(Clip &clip, int depth);
    // Whether a clip without a script object of its own would still find
    // the method (on MovieClip.prototype, or a registered class).
    bool classHandles(Clip &clip, const QString &method);

    ScriptHost &m_host;
    ClipWorld &m_world;
    int m_version;
    Heap m_heap;
    std::unique_ptr<Interpreter> m_interpreter;
    Clip *m_root = nullptr;
    Object *m_global = nullptr;
    Object *m_registered = nullptr;
    Object *m_stringClass = nullptr;
    Prototypes m_prototypes;
    bool m_accessors = false;
    bool m_stopped = false;
    const char *m_stopReason = nullptr;

    long long m_steps = 0;
    long long m_nextCheck = 0;
    double m_tickStartMs = 0;        // processor time of this thread as the frame began
    int m_callDepth = 0;
    int m_recursionLimit = 0;
    std::size_t m_memory = 0;        // weight at the last collection plus what was made since
    std::size_t m_liveWeight = 0;
    int m_clipsThisTick = 0;
    int m_gotosThisTick = 0;
    int m_running = 0;               // action lists running now (no collection meanwhile)

    struct Interval
    {
        int id = 0;
        FunctionObject *function = nullptr;
        Object *object = nullptr;
        QString method;
        double every = 0;            // ms
        double due = 0;
        std::vector<Value> args;
    };
    std::vector<Interval> m_intervals;
    struct Drag
    {
        MovieClipObject *target = nullptr;
        bool lockCenter = false;
        bool constrained = false;
        QRectF bounds;               // pixels, in the parent's coordinates
        QPointF offset;
        QString dropTarget;
    } m_drag;
    int m_nextInterval = 1;
    quint64 m_nans = 0;
    QRandomGenerator m_random;
};

} // namespace swf::script
