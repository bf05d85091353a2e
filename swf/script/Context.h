#pragma once

#include "script/ScriptFunction.h"
#include "script/Value.h"

#include <QByteArray>
#include <vector>

namespace swf::script {

class MovieClipObject;
class Object;
class Scope;

// One running action list: a frame's actions, a clip event, or a call of a
// script function, with its own stack and registers.
struct Context
{
    QByteArray code;                 // keeps the bytes alive while they run
    const unsigned char *bytes = nullptr;
    int size = 0;
    int version = 0;
    ConstantPool constants;
    std::vector<Value> stack;
    std::vector<Value> registers;
    // `with` objects, innermost last; looked at before the scope chain.
    std::vector<Object *> withs;
    // The scope chain below the `with` objects, ending with the globals.
    // Top-level code has its timeline there; a function its activation,
    // then what it was defined in.
    Scope *scope = nullptr;
    Object *activation = nullptr;    // a function's local variables; null at top level
    // Where timeline actions go (tellTarget moves it) and where the code
    // belongs, to which SetTarget("") returns.
    MovieClipObject *target = nullptr;
    MovieClipObject *origin = nullptr;
    Value thisValue;
    ScriptFunction *callee = nullptr;
    Object *superObject = nullptr;
    Value result;
    int jumpTarget = 0;              // a jump leaving the block being run
    int blocks = 0;                  // `with` and `try` blocks open
    bool topLevel = true;
};

} // namespace swf::script
