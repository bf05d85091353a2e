#pragma once

#include "script/Engine.h"

// The built-in objects of the movie's scripts, one file each. Every
// install function fills in its prototype (made here unless Engine made
// it already) and puts its constructor or object on the globals. What a
// version lacks is left out, so scripts of that version find undefined.
namespace swf::script::builtins {

void installObject(Engine &engine, Engine::Prototypes &prototypes);
void installFunction(Engine &engine, Engine::Prototypes &prototypes);
void installArray(Engine &engine, Engine::Prototypes &prototypes);
void installString(Engine &engine, Engine::Prototypes &prototypes);
void installNumber(Engine &engine, Engine::Prototypes &prototypes);
void installBoolean(Engine &engine, Engine::Prototypes &prototypes);
void installDate(Engine &engine, Engine::Prototypes &prototypes);
void installMath(Engine &engine);
void installGlobals(Engine &engine);
void installMovieClip(Engine &engine, Engine::Prototypes &prototypes);
void installColor(Engine &engine, Engine::Prototypes &prototypes);
void installInput(Engine &engine);
void installSound(Engine &engine);
void installTextField(Engine &engine, Engine::Prototypes &prototypes);

// Small helpers the install files share.
inline QString str(const char *latin1) { return QString::fromLatin1(latin1); }
// The function a value holds, or null.
FunctionObject *functionOf(const Value &value);
// `this` as an object of the given kind, or null.
template <class T>
T *self(NativeCall &call)
{
    return dynamic_cast<T *>(call.thisObject());
}

} // namespace swf::script::builtins
