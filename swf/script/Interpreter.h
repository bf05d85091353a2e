#pragma once

#include "script/Value.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace swf::script {

class Engine;
class MovieClipObject;
class Object;
class ScriptFunction;
struct Context;

// The action loop: runs the bytecode of an action list or a function, one
// action after the other, on a stack of values. Blocks (`with`, `try`) run
// as nested ranges of the same bytes, so that a jump out of one leaves it.
class Interpreter
{
public:
    explicit Interpreter(Engine &engine) : m_engine(engine) {}

    // An action list of a timeline: a frame's actions, init actions, a
    // clip event. `this` and the target are the clip.
    void runTopLevel(const QByteArray &code, MovieClipObject *clip);
    Value call(ScriptFunction *function, const Value &thisValue, const std::vector<Value> &args,
               Object *superObject = nullptr);

private:
    enum class Flow { Normal, Jump, Return, End };
    Flow run(Context &c, int begin, int end);

    // The actions too long to sit in the loop itself.
    void push(Context &c, Value value);
    void push(Context &c, double number);
    void push(Context &c, int number) { push(c, double(number)); }
    void push(Context &c, bool b) { push(c, Value(b)); }
    void push(Context &c, const QString &s) { push(c, Value(s)); }
    void push(Context &c, QString &&s) { push(c, Value(std::move(s))); }
    void push(Context &c, Object *o) { push(c, Value(o)); }
    Value pop(Context &c);
    std::vector<Value> popArguments(Context &c);
    void actionPush(Context &c, int at, int end);
    void actionConstantPool(Context &c, int at, int end);
    int actionDefineFunction(Context &c, int at, int end, bool two);
    Flow actionWith(Context &c, int at, int next, int begin, int end, int &pc);
    Flow actionTry(Context &c, int at, int next, int begin, int end, int &pc);
    void actionCallFunction(Context &c);
    void actionCallMethod(Context &c);
    void actionNewObject(Context &c);
    void actionNewMethod(Context &c);
    void actionGetUrl(Context &c, const QString &url, const QString &target);
    void actionGotoFrame2(Context &c, int at, int end);
    void actionSetTarget(Context &c, const Value &target);
    void actionEnumerate(Context &c, const Value &object);
    void actionGetProperty(Context &c);
    void actionSetProperty(Context &c);
    void actionStartDrag(Context &c);
    void actionCall(Context &c);
    void actionExtends(Context &c);
    void actionImplements(Context &c);
    void actionCloneSprite(Context &c);
    void actionStringExtract(Context &c, bool multibyte);
    bool actionWaitForFrame(Context &c, const Value &frame);
    void skipActions(Context &c, int count, int &pc, int end);
    void setScopeTarget(Context &c, MovieClipObject *target);
    QString readString(Context &c, int &at, int end);
    Value boolean(Context &c, bool b) const;

    Engine &m_engine;
    QHash<QByteArray, QString> m_strings; // pushed texts already decoded
};

} // namespace swf::script
