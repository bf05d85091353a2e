#pragma once

#include "script/Value.h"

namespace swf::script {

class Engine;
class MovieClipObject;
class Object;
struct Context;

// How names and paths find what they mean: a plain name through the `with`
// objects and the scope chain; "/a/b:x", "a/b", "../a", "a.b.x",
// "_root.a" through the display list and the objects on the way.
class Variables
{
public:
    // `holder`, when given, learns the object the name was found on.
    static Value get(Engine &engine, Context &context, const QString &name, Object **holder = nullptr);
    static void set(Engine &engine, Context &context, const QString &name, const Value &value);
    // `var name = value`: a function's local, else a variable of the timeline.
    static void defineLocal(Engine &engine, Context &context, const QString &name, const Value &value);
    // `var name`: made undefined unless it exists.
    static void declareLocal(Engine &engine, Context &context, const QString &name);
    // `delete name`.
    static bool remove(Engine &engine, Context &context, const QString &name);
    // The object a target path leads to from the context's target, or null.
    static Object *resolvePath(Engine &engine, Context &context, const QString &path);
    // A target given as a value (a path or a clip), as a clip.
    static MovieClipObject *targetClip(Engine &engine, Context &context, const Value &target);
    // Where a function's undeclared assignments land.
    static Object *timelineOf(Engine &engine, Context &context);

private:
    static bool plainGet(Engine &engine, Context &context, const QString &name, Value &out,
                         Object **holder = nullptr);
    // "path:name" and "path.name" split at the last colon or dot.
    static bool splitPath(const QString &name, QString *path, QString *variable);
    // One name of a path from `at`: "..", a child clip, else (the first
    // name of a relative path) a variable or (later) a property.
    static Object *fromWiths(Engine &engine, Context &context, const QString &name);
    static Object *step(Engine &engine, Context &context, Object *at, const QString &name, bool first);
    // What lies between two slashes: a child's whole name, else names
    // parted by colons, else by dots.
    static Object *chunk(Engine &engine, Context &context, Object *at, const QString &text, bool first,
                         bool last);
};

} // namespace swf::script
