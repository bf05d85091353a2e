#pragma once

#include "script/Value.h"

namespace swf::script {

// Raised when a movie's scripts reach one of the engine's bounds: the
// action list stops there and the movie's scripts are not run again,
// while its timelines go on playing.
struct LimitReached
{
    const char *what;
    bool recursion = false;          // calls nested too deep, a bound a conversion survives
};

// A script's `throw`, on its way to a `catch`.
struct ScriptThrow
{
    Value value;
};

// The bounds on what a movie's scripts may make the engine do.
namespace Limits {
constexpr long long StepsPerTick = 3'000'000;     // actions run in one frame
constexpr int MillisecondsPerTick = 1000;          // the backstop of a frame, in processor time
constexpr int Recursion = 256;                     // nested calls, unless ScriptLimits says
constexpr int MaxRecursion = 1024;                 // what ScriptLimits may raise it to
constexpr int WithNesting5 = 8;                    // `with` nesting of version 5 movies
constexpr int WithNesting = 16;                    // and later ones
constexpr int BlockNesting = 64;                   // try blocks in one another
constexpr int StackValues = 100'000;               // one action list's stack
constexpr int StringLength = 1 << 21;              // characters of one string
constexpr long long Memory = 4'000'000;            // what a movie may keep, see Tracer::weigh
constexpr int ClipsPerTick = 10'000;               // clips made by scripts in one frame
constexpr int GotosPerTick = 100'000;              // jumps of timelines in one frame
}

} // namespace swf::script
