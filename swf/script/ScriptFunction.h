#pragma once

#include "script/Function.h"

#include <QByteArray>
#include <memory>

namespace swf::script {

class MovieClipObject;
class Scope;

using ConstantPool = std::shared_ptr<const std::vector<QString>>;

// A function defined by DefineFunction or DefineFunction2: where its body
// lies in the action list that defined it, its parameters, and what it
// keeps of the place it was defined in.
class ScriptFunction : public FunctionObject
{
public:
    // DefineFunction2's flags, as the file's 16 bits read little-endian.
    enum Flag : unsigned {
        PreloadThis = 0x1, SuppressThis = 0x2, PreloadArguments = 0x4, SuppressArguments = 0x8,
        PreloadSuper = 0x10, SuppressSuper = 0x20, PreloadRoot = 0x40, PreloadParent = 0x80,
        PreloadGlobal = 0x100,
    };
    struct Parameter
    {
        QString name;
        int reg = 0;                 // DefineFunction2: the register it goes in; 0: a variable
    };

    ScriptFunction(Object *prototype) : FunctionObject(prototype) {}
    void traceMore(Tracer &tracer) const override;

    QByteArray code;                 // the whole action list; the body is [begin, end)
    int begin = 0;
    int end = 0;
    QString name;
    std::vector<Parameter> parameters;
    bool twoStyle = false;           // DefineFunction2
    int registerCount = 0;
    unsigned flags = 0;
    int version = 0;                 // of the movie that defined it
    ConstantPool constants;          // in force where it was defined
    // Version 6 on: the scope chain it was defined in. Version 5 functions
    // see only their own variables, their timeline and the globals.
    Scope *scope = nullptr;
    MovieClipObject *timeline = nullptr; // the clip whose actions defined it
};

} // namespace swf::script
