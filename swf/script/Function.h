#pragma once

#include "script/Object.h"

#include <vector>

namespace swf::script {

// What a built-in function is given: the engine, `this` and the arguments.
struct NativeCall
{
    Engine &engine;
    Value thisValue;
    const std::vector<Value> &args;
    // `new`: the prototype the object made must have.
    Object *newPrototype = nullptr;
    int data = 0;                    // the function's own number (see NativeFunction)

    std::size_t count() const { return args.size(); }
    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value(); }
    Object *thisObject() const { return thisValue.object(); }
};

using NativeCode = Value (*)(NativeCall &call);

// An object that can be called.
class FunctionObject : public Object
{
public:
    explicit FunctionObject(Object *prototype) : Object(prototype) {}
    QString className() const override { return QStringLiteral("Function"); }
    FunctionObject *asFunction() override { return this; }
};

// A function written in C++. `construct`, when given, makes the object of
// `new` itself (an Array, a String wrapper); otherwise `new` makes a plain
// object and calls `code` on it. `data` lets one C++ function serve several
// script functions (the Math functions, the clip's properties).
class NativeFunction : public FunctionObject
{
public:
    NativeFunction(Object *prototype, NativeCode code, NativeCode construct = nullptr, int data = 0)
        : FunctionObject(prototype), m_code(code), m_construct(construct), m_data(data)
    {
    }
    NativeCode code() const { return m_code; }
    NativeCode construct() const { return m_construct; }
    int data() const { return m_data; }

private:
    NativeCode m_code;
    NativeCode m_construct;
    int m_data;
};

} // namespace swf::script
